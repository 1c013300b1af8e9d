#include "control/CXCollection.h"
#include "control/TypeLibrary.h"
#include "platform/core/Cp932.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

const MemberInfo kElementMembers[] = {{1, "Name", DISPATCH_PROPERTYGET, VT_BSTR}};
const InterfaceInfo kElement{"IElement", nullptr, nullptr, kElementMembers};

// A wrapper with a CP932 name, as layers, objects, forms and printers are.
class Element : public DispatchObject<Element> {
public:
    explicit Element(std::string cp932Name) : DispatchObject(kElement), name_(std::move(cp932Name)) {}
    static void BindMembers(Binder&) {}
    std::string CollectionName() const
    {
        ++nameReads;
        return name_;
    }
    static inline int nameReads = 0; // how often a name was read

private:
    std::string name_;
};

using Layers = CXCollection<Element>;

Ref<Layers> MakeLayers(std::initializer_list<const char*> names)
{
    Ref<Layers> c = MakeRef<Layers>(kITvLayers);
    for (const char* n : names) c->Add(MakeRef<Element>(n));
    return c;
}

std::string NameOf(const Variant& v)
{
    return static_cast<Element*>(v.AsDispatch())->CollectionName();
}

void ExpectIndexError(Layers& c, const Variant& index)
{
    ObjectRef o(&c);
    try {
        o.Get(DISPID_VALUE, {index});
        ADD_FAILURE() << "found";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), int32_t(0x800A017D));
        EXPECT_EQ(e.Number(), 381);
        EXPECT_EQ(e.HelpContext(), 20027);
        EXPECT_EQ(e.Description(), "ｲﾝﾃﾞｯｸｽが有効範囲にありません。");
    }
}

} // namespace

TEST(Collection, ItemByNameAndByPosition)
{
    // "\xDA\xB2\xD4" is the half-width katakana layer name "ﾚｲﾔ" in CP932.
    Ref<Layers> c = MakeLayers({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "12", "", "\xDA\xB2\xD4"});
    ObjectRef o(c.Get());
    struct Row {
        const char* what;
        Variant index;
        const char* name;
    };
    const Row rows[] = {
        {"digits are a position", Variant("12"), "m"},
        {"empty string is a name", Variant(""), ""},
        {"name", Variant("b"), "b"},
        {"Integer", Variant(int16_t(3)), "d"},
        {"Long", Variant(int32_t(0)), "a"},
        {"Double rounds to even", Variant(2.5), "c"},
        {"Double", Variant(2.4), "c"},
        {"string number by reference", Variant(), "m"},
        {"Unicode name to CP932", Variant("ﾚｲﾔ"), "\xDA\xB2\xD4"},
        {"a name with digits and letters", Variant("12a"), nullptr},
    };
    Variant twelve("12");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Variant index = r.index.IsEmpty() ? Variant::ByRef(&twelve) : r.index;
        if (r.name)
            EXPECT_EQ(NameOf(o.Get("Item", {index})), r.name);
        else
            ExpectIndexError(*c, index);
    }
    EXPECT_EQ(o.Get(1).I4(), 16);
    EXPECT_EQ(NameOf(o.Get(DISPID_VALUE, {int32_t(15)})), "\xDA\xB2\xD4");
}

TEST(Collection, PositionsOutsideTheListAreIndexErrors)
{
    Ref<Layers> c = MakeLayers({"a", "b"});
    for (const Variant& index : {Variant(int32_t(2)), Variant(int32_t(-1)), Variant(3e10), Variant("99999999999"),
                                 Variant("x")})
        ExpectIndexError(*c, index);
    ObjectRef o(c.Get());
    EXPECT_THROW(o.Get("Item", {Variant::Null()}), AutomationError);
    try {
        o.Get("Item", {"漢字\xF0\x9F\x98\x80"});
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Scode(), int32_t(0x800A017C));
        EXPECT_NE(e.Description().find("Item"), std::string::npos);
        EXPECT_NE(e.Description().find("\xF0\x9F\x98\x80"), std::string::npos);
    }
}

TEST(Collection, PrintersCompareNamesWithoutRegardToCase)
{
    Ref<Layers> printers = MakeRef<Layers>(kITvPrinters, true);
    printers->Add(MakeRef<Element>("Office PDF"));
    printers->Add(MakeRef<Element>("\x83\x76\x83\x8A\x83\x93\x83\x5E"));   // プリンタ
    ObjectRef o(printers.Get());
    EXPECT_EQ(NameOf(o.Get("Item", {"office pdf"})), "Office PDF");
    EXPECT_EQ(NameOf(o.Get("Item", {"プリンタ"})), "\x83\x76\x83\x8A\x83\x93\x83\x5E");
    Ref<Layers> layers = MakeLayers({"Office PDF"});
    ExpectIndexError(*layers, Variant("office pdf"));
    EXPECT_FALSE(Cp932Equal("\x83\x61", "\x83\x41", true));   // trail bytes are not letters
}

TEST(Collection, NamesAreFoundWithoutASearchFirstInListOrder)
{
    Ref<Layers> c = MakeLayers({"a", "b", "a", "\x83\x41", "c"});
    Ref<Layers> printers = MakeRef<Layers>(kITvPrinters, true);
    for (const char* n : {"Pdf", "PDF", "\x83\x41"}) printers->Add(MakeRef<Element>(n));
    struct Row {
        Layers& list;
        const char* name;
        int position; // -1: not found
    };
    const Row rows[] = {
        {*c, "a", 0},       {*c, "b", 1},      {*c, "\x83\x41", 3}, {*c, "A", -1},
        {*c, "\x83\x61", -1}, {*printers, "pdf", 0}, {*printers, "\x83\x41", 2}, {*printers, "\x83\x61", -1},
    };
    const auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        Element::nameReads = 0;
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            ObjectRef o(&r.list);
            const Variant name(Cp932ToUtf8(r.name));
            if (r.position < 0) {
                ExpectIndexError(r.list, name);
                continue;
            }
            EXPECT_EQ(o.Get("Item", {name}).AsDispatch(), o.Get("Item", {int32_t(r.position)}).AsDispatch());
        }
        EXPECT_EQ(Element::nameReads, 0);
    };
    check("added");
    // Emptied, filled again and one taken out: the same names stand where
    // they stood.
    c->Clear();
    for (const char* n : {"x", "a", "b", "a", "\x83\x41", "c"}) c->Add(MakeRef<Element>(n));
    c->RemoveIf([&](Element& e) { return c->at(0) == &e; });
    check("rebuilt");
}

TEST(Collection, OneWrapperPerEngineElement)
{
    Ref<Layers> c = MakeRef<Layers>(kITvObjects);
    int engineA = 0, engineB = 0;
    Element* a = c->Add(MakeRef<Element>("a"), &engineA);
    EXPECT_EQ(c->Add(MakeRef<Element>("a again"), &engineA), a);
    c->Add(MakeRef<Element>("b"), &engineB);
    EXPECT_EQ(c->size(), 2u);
    EXPECT_EQ(c->Find(&engineB)->CollectionName(), "b");
    c->RemoveIf([](Element& e) { return e.CollectionName() == "a"; });
    EXPECT_EQ(c->size(), 1u);
    EXPECT_EQ(c->Find(&engineA), nullptr);
}

TEST(Collection, EnumeratorIsASnapshot)
{
    Ref<Layers> c = MakeLayers({"a", "b", "c", "d"});
    ObjectRef o(c.Get());
    Variant e = o.Get(DISPID_NEWENUM);
    ASSERT_EQ(e.Vt(), VT_UNKNOWN);
    Ref<EnumVariant> en(static_cast<EnumVariant*>(e.AsUnknown()->QueryInterface(kIID_IEnumVARIANT)));
    ASSERT_TRUE(en);
    // The list changes and the collection goes away: the snapshot stays.
    c->Clear();
    c->Add(MakeRef<Element>("z"));
    c.Reset();
    o = ObjectRef();
    e = Variant();
    Variant out[5];
    uint32_t fetched = 0;
    EXPECT_EQ(en->Next(2, out, &fetched), S_OK);
    EXPECT_EQ(NameOf(out[0]), "a");
    EXPECT_EQ(NameOf(out[1]), "b");
    EnumVariant* raw = nullptr;
    ASSERT_EQ(en->Clone(&raw), S_OK);
    Ref<EnumVariant> clone = Ref<EnumVariant>::Adopt(raw);
    EXPECT_EQ(en->Next(5, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(NameOf(out[0]), "c");
    EXPECT_EQ(NameOf(out[1]), "d");
    EXPECT_EQ(clone->Next(1, out, &fetched), S_OK);
    EXPECT_EQ(NameOf(out[0]), "c");
    EXPECT_EQ(EnumerateCollection(MakeLayers({"x", "y"}).Get()).size(), 2u);
}
