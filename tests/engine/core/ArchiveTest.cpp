#include "engine/core/Archive.h"
#include "engine/core/ClassRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace nv {

// Small classes for the archive tests.
class ArcItem : public CObject {
    NV_DECLARE_SERIAL(ArcItem)
public:
    void Serialize(Archive& ar, uint32_t schema) override
    {
        if (ar.IsStoring()) {
            ar << value;
        } else {
            seenSchema = schema;
            ar >> value;
        }
    }
    int32_t value = 0;
    uint32_t seenSchema = 0;
};
NV_IMPLEMENT_SERIAL(ArcItem, CObject, 1, false)

class ArcVersioned : public CObject {
    NV_DECLARE_SERIAL(ArcVersioned)
public:
    void Serialize(Archive& ar, uint32_t schema) override
    {
        if (ar.IsStoring()) {
            ar.WriteString(text);
        } else {
            seenSchema = schema;
            text = ar.ReadString();
        }
    }
    std::string text;
    uint32_t seenSchema = 0;
};
NV_IMPLEMENT_SERIAL(ArcVersioned, CObject, 3, true)

// Registered under a base that is not its C++ base.
class ArcChild : public ArcItem {
    NV_DECLARE_SERIAL(ArcChild)
};
NV_IMPLEMENT_SERIAL(ArcChild, ArcItem, 1, false)

// Holds a list of owned items, then a reference to one of them.
class ArcHolder : public CObject {
    NV_DECLARE_SERIAL(ArcHolder)
public:
    void Serialize(Archive& ar, uint32_t) override
    {
        if (ar.IsStoring()) {
            ar.WriteList(items);
            ar.WriteObject(ref);
        } else {
            ar.ReadList(items);
            ref = ar.ReadRef<ArcItem>();
        }
    }
    std::vector<std::unique_ptr<ArcItem>> items;
    ArcItem* ref = nullptr;
};
NV_IMPLEMENT_SERIAL(ArcHolder, CObject, 0, false)

void RegisterArchiveTestClasses()
{
    auto& r = ClassRegistry::Instance();
    r.Register(ArcItem::Class());
    r.Register(ArcVersioned::Class());
    r.Register(ArcChild::Class());
    r.Register(ArcHolder::Class());
}

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterArchiveTestClasses(); }
};

std::string U16(uint16_t v)
{
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string U32(uint32_t v)
{
    return U16(static_cast<uint16_t>(v & 0xFFFF)) + U16(static_cast<uint16_t>(v >> 16));
}
std::string ClassRecord(uint16_t schema, const std::string& name)
{
    return U16(0xFFFF) + U16(schema) + U16(static_cast<uint16_t>(name.size())) + name;
}

std::string Write(const std::function<void(Archive&)>& fn)
{
    Archive ar;
    fn(ar);
    return ar.TakeBytes();
}

template <class F>
CArchiveException::Cause LoadCause(const std::string& bytes, F fn)
{
    Archive ar(bytes);
    try {
        fn(ar);
    } catch (const CArchiveException& e) {
        return e.cause();
    }
    return CArchiveException::none;
}

TEST_F(ArchiveTest, StringLengthForms)
{
    for (size_t n : {size_t{0}, size_t{254}, size_t{255}, size_t{0xFFFD}, size_t{0xFFFE}, size_t{70000}}) {
        const std::string s(n, 'a');
        std::string expected;
        if (n < 255)
            expected = std::string(1, static_cast<char>(n));
        else if (n < 0xFFFE)
            expected = "\xFF" + U16(static_cast<uint16_t>(n));
        else
            expected = "\xFF" + U16(0xFFFF) + U32(static_cast<uint32_t>(n));
        expected += s;
        const std::string bytes = Write([&](Archive& ar) { ar.WriteString(s); });
        EXPECT_EQ(bytes, expected) << n;
        Archive in(bytes);
        EXPECT_EQ(in.ReadString(), s);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST_F(ArchiveTest, Utf16StringBecomesCp932)
{
    // "Aア" as UTF-16 after the FF FFFE marker, length 2 in the short form.
    const std::string bytes = std::string("\xFF") + U16(0xFFFE) + "\x02" + std::string("A\0\xA2\x30", 4);
    Archive in(bytes);
    EXPECT_EQ(in.ReadString(), std::string("A\x83\x41"));
    // The long form after the marker.
    const std::string big = std::string("\xFF") + U16(0xFFFE) + "\xFF" + U16(1) + std::string("B\0", 2);
    Archive in2(big);
    EXPECT_EQ(in2.ReadString(), "B");
}

TEST_F(ArchiveTest, CountForms)
{
    EXPECT_EQ(Write([](Archive& ar) { ar.WriteCount(0); }), U16(0));
    EXPECT_EQ(Write([](Archive& ar) { ar.WriteCount(0xFFFE); }), U16(0xFFFE));
    EXPECT_EQ(Write([](Archive& ar) { ar.WriteCount(0xFFFF); }), U16(0xFFFF) + U32(0xFFFF));
    const std::string big = U16(0xFFFF) + U32(0xFFFF) + std::string(0xFFFF, '\0');
    Archive in(big);
    EXPECT_EQ(in.ReadCount(1), 0xFFFFu);
    const std::string below = U16(0xFFFE) + std::string(0xFFFE, '\0');
    Archive in2(below);
    EXPECT_EQ(in2.ReadCount(1), 0xFFFEu);
    EXPECT_EQ(in2.Position(), 2u);
    // A count that cannot fit in what remains.
    EXPECT_EQ(LoadCause(U16(3) + "ab", [](Archive& ar) { ar.ReadCount(1); }), CArchiveException::endOfFile);
}

TEST_F(ArchiveTest, ObjectTagsByteExact)
{
    ArcHolder holder;
    for (int i = 0; i < 3; ++i) {
        holder.items.push_back(std::make_unique<ArcItem>());
        holder.items.back()->value = 100 + i;
    }
    holder.ref = holder.items[1].get();
    ArcVersioned v;
    v.text = "xy";

    const std::string bytes = Write([&](Archive& ar) {
        ar.WriteObject(&holder);
        ar.WriteObject(nullptr);
        ar.WriteObject(&v);
        ar.WriteObject(&v);
    });
    // ids: 1 class ArcHolder, 2 holder, 3 class ArcItem, 4..6 items,
    // 7 class ArcVersioned, 8 v.
    const std::string expected = ClassRecord(0, "ArcHolder") + U16(3) + ClassRecord(1, "ArcItem") + U32(100) +
                                 U16(0x8003) + U32(101) + U16(0x8003) + U32(102) + U16(5) + U16(0) +
                                 ClassRecord(3, "ArcVersioned") + "\x02xy" + U16(8);
    EXPECT_EQ(bytes, expected) << nvtest::HexDump(bytes);

    Archive in(bytes);
    auto h = in.ReadObject<ArcHolder>();
    ASSERT_TRUE(h);
    ASSERT_EQ(h->items.size(), 3u);
    EXPECT_EQ(h->items[2]->value, 102);
    EXPECT_EQ(h->ref, h->items[1].get());
    EXPECT_EQ(in.ReadObject<CObject>(false), nullptr);
    auto v2 = in.ReadObject<ArcVersioned>();
    EXPECT_EQ(v2->text, "xy");
    EXPECT_EQ(in.ReadRef<ArcVersioned>(), v2.get());
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST_F(ArchiveTest, BigTagForms)
{
    // 0x7FFE ids fill the small range; the next class reference and
    // back-reference use 0x7FFF and a 32-bit value.
    std::vector<std::unique_ptr<ArcItem>> items;
    for (int i = 0; i < 0x7FFF; ++i) items.push_back(std::make_unique<ArcItem>());
    ArcVersioned v;
    const std::string bytes = Write([&](Archive& ar) {
        for (auto& it : items) ar.WriteObject(it.get()); // ids 1 (class) and 2..0x8000
        ar.WriteObject(items[0].get());                   // back-reference, id 2
        ar.WriteObject(&v);                               // class id 0x8001, object 0x8002
        ArcItem extra;
        ar.WriteObject(&extra);                           // class ref 1 (small), object 0x8003
        ar.WriteObject(&v);                               // back-reference 0x8002 (big)
        ArcVersioned v3;
        ar.WriteObject(&v3);                              // class reference 0x8001 (big)
    });
    const std::string tail = U16(2) + ClassRecord(3, "ArcVersioned") + std::string(1, '\0') + U16(0x8001) + U32(0) +
                             U16(0x7FFF) + U32(0x8002) + U16(0x7FFF) + U32(0x80008001) + std::string(1, '\0');
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail) << nvtest::HexDump(bytes.substr(bytes.size() - 40));

    // A class reference in the big form reads back too.
    const std::string handmade = ClassRecord(1, "ArcItem") + U32(7) + U16(0x7FFF) + U32(0x80000001) + U32(8) +
                                 U16(0x7FFF) + U32(2);
    Archive in(handmade);
    auto a = in.ReadObject<ArcItem>();
    auto b = in.ReadObject<ArcItem>();
    EXPECT_EQ(a->value, 7);
    EXPECT_EQ(b->value, 8);
    EXPECT_EQ(in.ReadRef<ArcItem>(), a.get());
}

TEST_F(ArchiveTest, SchemasAndClasses)
{
    // A versionable class takes any stored schema and sees it.
    {
        Archive in(ClassRecord(9, "ArcVersioned") + "\x01z");
        auto v = in.ReadObject<ArcVersioned>();
        EXPECT_EQ(v->seenSchema, 9u);
    }
    // A non-versionable one must match exactly.
    EXPECT_EQ(LoadCause(ClassRecord(2, "ArcItem") + U32(1), [](Archive& ar) { ar.ReadObject<ArcItem>(); }),
              CArchiveException::badSchema);
    // Unknown class, wrong class.
    EXPECT_EQ(LoadCause(ClassRecord(1, "Nobody") + U32(1), [](Archive& ar) { ar.ReadObject<ArcItem>(); }),
              CArchiveException::badClass);
    EXPECT_EQ(LoadCause(ClassRecord(3, "ArcVersioned") + std::string(1, '\0'), [](Archive& ar) { ar.ReadObject<ArcItem>(); }),
              CArchiveException::badClass);
    // A registered base different from the C++ base answers kind-of tests.
    {
        Archive in(ClassRecord(1, "ArcChild") + U32(5));
        auto c = in.ReadObject<ArcItem>();
        EXPECT_EQ(c->value, 5);
        EXPECT_TRUE(c->IsKindOf(ArcChild::Class()));
    }
}

TEST_F(ArchiveTest, MalformedTagsAreArchiveErrors)
{
    const std::string item = ClassRecord(1, "ArcItem") + U32(1);
    // Null where an object is required.
    EXPECT_EQ(LoadCause(U16(0), [](Archive& ar) { ar.ReadObject<ArcItem>(true); }), CArchiveException::badIndex);
    // A back-reference where the reader would own the object.
    EXPECT_EQ(LoadCause(item + U16(2), [](Archive& ar) {
                  auto a = ar.ReadObject<ArcItem>();
                  auto b = ar.ReadObject<ArcItem>();
              }),
              CArchiveException::badIndex);
    // A class id used as an object.
    EXPECT_EQ(LoadCause(item + U16(1), [](Archive& ar) {
                  auto a = ar.ReadObject<ArcItem>();
                  ar.ReadRef<ArcItem>();
              }),
              CArchiveException::badIndex);
    // An object id used as a class.
    EXPECT_EQ(LoadCause(item + U16(0x8002) + U32(1), [](Archive& ar) {
                  auto a = ar.ReadObject<ArcItem>();
                  auto b = ar.ReadObject<ArcItem>();
              }),
              CArchiveException::badIndex);
    // References past the map, class id 0.
    EXPECT_EQ(LoadCause(U16(0x8000), [](Archive& ar) { ar.ReadObject<ArcItem>(); }), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(U16(0x8005), [](Archive& ar) { ar.ReadObject<ArcItem>(); }), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(U16(0x0005), [](Archive& ar) { ar.ReadRef<ArcItem>(); }), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(U16(0x7FFF) + U32(0xFFFFFFFF), [](Archive& ar) { ar.ReadObject<ArcItem>(); }),
              CArchiveException::badIndex);
    // A string longer than what remains.
    EXPECT_EQ(LoadCause("\xFF" + U16(300) + "abc", [](Archive& ar) { ar.ReadString(); }),
              CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause("\xFF" + U16(0xFFFF) + U32(0xFFFFFFF0) + "abc", [](Archive& ar) { ar.ReadString(); }),
              CArchiveException::endOfFile);
    // A list count beyond the bytes that remain.
    EXPECT_EQ(LoadCause(ClassRecord(0, "ArcHolder") + U16(0xFFFF) + U32(0x7FFFFFFF),
                        [](Archive& ar) { ar.ReadObject<ArcHolder>(); }),
              CArchiveException::endOfFile);
    // A class name too long for a record.
    EXPECT_EQ(LoadCause(U16(0xFFFF) + U16(0) + U16(200) + std::string(200, 'A'),
                        [](Archive& ar) { ar.ReadObject<ArcItem>(); }),
              CArchiveException::badClass);
}

TEST_F(ArchiveTest, EveryTruncationIsEndOfFile)
{
    ArcHolder holder;
    for (int i = 0; i < 4; ++i) {
        holder.items.push_back(std::make_unique<ArcItem>());
        holder.items.back()->value = i;
    }
    holder.ref = holder.items[3].get();
    ArcVersioned v;
    v.text = std::string(300, 'q');
    const std::string bytes = Write([&](Archive& ar) {
        ar.WriteObject(&holder);
        ar.WriteObject(&v);
    });
    for (size_t n = 0; n < bytes.size(); ++n) {
        const std::string cut = bytes.substr(0, n);
        EXPECT_EQ(LoadCause(cut,
                            [](Archive& ar) {
                                auto h = ar.ReadObject<ArcHolder>();
                                auto x = ar.ReadObject<ArcVersioned>();
                            }),
                  CArchiveException::endOfFile)
            << n;
    }
}

TEST_F(ArchiveTest, ModeErrors)
{
    Archive out;
    EXPECT_THROW(out.ReadU8(), CArchiveException);
    Archive in(std::string_view("x"));
    EXPECT_THROW(in.WriteU8(1), CArchiveException);
}

} // namespace
} // namespace nv

namespace nv {
namespace {

// The ids around the end of the small tag range, with a class record landing
// on 0x7FFE and an object on 0x7FFF: the class keeps the small form
// (0x8000 | 0x7FFE), the object's back-reference takes the big one.
TEST_F(ArchiveTest, IdsAtTheEndOfTheSmallRange)
{
    std::vector<std::unique_ptr<ArcItem>> items;
    for (int i = 0; i < 0x7FFC; ++i) {
        items.push_back(std::make_unique<ArcItem>());
        items.back()->value = i;
    }
    ArcVersioned first, second;
    first.text = "a";
    second.text = "b";
    const std::string bytes = Write([&](Archive& ar) {
        for (auto& it : items) ar.WriteObject(it.get()); // class 1, objects 2..0x7FFD
        ar.WriteObject(&first);                           // class 0x7FFE, object 0x7FFF
        ar.WriteObject(&second);                          // class reference 0xFFFE, object 0x8000
        ar.WriteObject(items.back().get());               // back-reference 0x7FFD (small)
        ar.WriteObject(&first);                           // back-reference 0x7FFF (big)
        ar.WriteObject(&second);                          // back-reference 0x8000 (big)
    });

    std::string expected = ClassRecord(1, "ArcItem") + U32(0);
    for (int i = 1; i < 0x7FFC; ++i) expected += U16(0x8001) + U32(static_cast<uint32_t>(i));
    expected += ClassRecord(3, "ArcVersioned") + "\x01" "a";
    expected += U16(0xFFFE) + "\x01" "b";
    expected += U16(0x7FFD);
    expected += U16(0x7FFF) + U32(0x7FFF);
    expected += U16(0x7FFF) + U32(0x8000);
    ASSERT_EQ(bytes.size(), expected.size());
    EXPECT_EQ(bytes, expected);

    Archive in(bytes);
    std::vector<std::unique_ptr<ArcItem>> back;
    for (int i = 0; i < 0x7FFC; ++i) back.push_back(in.ReadObject<ArcItem>());
    auto a = in.ReadObject<ArcVersioned>();
    auto b = in.ReadObject<ArcVersioned>();
    EXPECT_EQ(a->text, "a");
    EXPECT_EQ(b->text, "b");
    EXPECT_EQ(b->seenSchema, 3u);
    EXPECT_EQ(in.ReadRef<ArcItem>(), back.back().get());
    EXPECT_EQ(in.ReadRef<ArcVersioned>(), a.get());
    EXPECT_EQ(in.ReadRef<ArcVersioned>(), b.get());
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(back[0x1234]->value, 0x1234);
}

} // namespace
} // namespace nv

namespace nv {

// Holds any objects, nested to any depth, and a reference to one of them.
class ArcBox : public CObject {
    NV_DECLARE_SERIAL(ArcBox)
public:
    void Serialize(Archive& ar, uint32_t) override
    {
        if (ar.IsStoring()) {
            ar.WriteString(name);
            ar.WriteList(children);
            ar.WriteObject(ref);
        } else {
            name = ar.ReadString();
            ar.ReadList(children);
            ref = ar.ReadRef<CObject>();
        }
    }
    std::string name;
    std::vector<std::unique_ptr<CObject>> children;
    CObject* ref = nullptr;
};
NV_IMPLEMENT_SERIAL(ArcBox, CObject, 2, true)

namespace {

// Damaged archives, a few bytes changed at a time: every one either loads or
// ends in an archive error (the sanitizer build catches what a crash-free run
// would hide).
TEST_F(ArchiveTest, DamagedBytesEndInArchiveErrors)
{
    ClassRegistry::Instance().Register(ArcBox::Class());
    ArcBox root;
    root.name = "root";
    for (int i = 0; i < 3; ++i) {
        auto box = std::make_unique<ArcBox>();
        box->name = std::string(static_cast<size_t>(i * 150), 'n');
        for (int j = 0; j < 3; ++j) {
            auto item = std::make_unique<ArcItem>();
            item->value = i * 10 + j;
            box->children.push_back(std::move(item));
        }
        auto v = std::make_unique<ArcVersioned>();
        v->text = "v";
        box->children.push_back(std::move(v));
        box->ref = box->children[1].get();
        root.children.push_back(std::move(box));
    }
    root.ref = static_cast<ArcBox*>(root.children[2].get())->children[3].get();
    const std::string bytes = Write([&](Archive& ar) {
        ar.WriteObject(&root);
        ar.WriteObject(root.ref);
    });
    {
        Archive in(bytes);
        auto back = in.ReadObject<ArcBox>();
        EXPECT_EQ(in.ReadRef<CObject>(), back->ref);
    }

    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    int loaded = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string damaged = bytes;
        const int changes = 1 + static_cast<int>(next() % 3);
        for (int c = 0; c < changes; ++c) {
            const size_t at = next() % damaged.size();
            switch (next() % 4) {
            case 0: damaged[at] = static_cast<char>(next()); break;
            case 1: damaged[at] = '\xFF'; break;
            case 2: damaged[at] = static_cast<char>(damaged[at] ^ 0x80); break;
            default: damaged.erase(at, 1 + next() % 4); break;
            }
            if (damaged.empty()) damaged = "\0";
        }
        Archive in(damaged);
        try {
            auto back = in.ReadObject<ArcBox>();
            CObject* ref = in.ReadRef<CObject>();
            if (ref) (void)ref->Dump();
            ++loaded;
        } catch (const CArchiveException&) {
        }
    }
    EXPECT_GT(loaded, 0);
}

} // namespace
} // namespace nv
