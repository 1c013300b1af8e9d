#include "engine/core/Archive.h"

#include "engine/core/ClassRegistry.h"
#include "platform/core/Cp932.h"
#include "platform/core/OnFailure.h"

#include <cstring>

namespace nv {
namespace {

// Nesting of objects inside objects; real forms go four deep.
constexpr int kMaxDepth = 64;

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    const size_t n = bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (size_t i = 0; i < n; ++i) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        AppendUtf8(out, u);
    }
    return out;
}

} // namespace

Archive::Archive() : storing_(true) {}

Archive::Archive(std::string_view bytes, std::string fileName)
    : storing_(false), in_(bytes), fileName_(std::move(fileName))
{
    loadArray_.push_back(LoadEntry{}); // id 0: null
}

Archive::Archive(std::string&& bytes, std::string fileName)
    : storing_(false), owned_(std::move(bytes)), in_(owned_), fileName_(std::move(fileName))
{
    loadArray_.push_back(LoadEntry{});
}

void Archive::ThrowError(CArchiveException::Cause cause) const
{
    if (!storing_) failed_ = true;
    throw CArchiveException(cause, fileName_);
}

void Archive::CheckStoring() const
{
    if (!storing_) ThrowError(CArchiveException::readOnly);
}

void Archive::CheckLoading() const
{
    if (storing_) ThrowError(CArchiveException::writeOnly);
    // A reader that failed once has a load map that may point at objects
    // already freed; nothing more is read from it.
    if (failed_) throw CArchiveException(CArchiveException::genericException, fileName_);
}

void Archive::Need(size_t n) const
{
    if (n > in_.size() - pos_) ThrowError(CArchiveException::endOfFile);
}

// ---- fixed-width values ------------------------------------------------

void Archive::WriteU8(uint8_t v)
{
    CheckStoring();
    out_ += static_cast<char>(v);
}

void Archive::WriteU16(uint16_t v)
{
    CheckStoring();
    out_ += static_cast<char>(v & 0xFF);
    out_ += static_cast<char>(v >> 8);
}

void Archive::WriteU32(uint32_t v)
{
    CheckStoring();
    for (int i = 0; i < 4; ++i) out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Archive::Write(const void* data, size_t n)
{
    CheckStoring();
    if (n) out_.append(static_cast<const char*>(data), n);
}

uint8_t Archive::ReadU8()
{
    CheckLoading();
    Need(1);
    return static_cast<uint8_t>(in_[pos_++]);
}

uint16_t Archive::ReadU16()
{
    CheckLoading();
    Need(2);
    const auto* p = reinterpret_cast<const unsigned char*>(in_.data() + pos_);
    pos_ += 2;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Archive::ReadU32()
{
    CheckLoading();
    Need(4);
    const auto* p = reinterpret_cast<const unsigned char*>(in_.data() + pos_);
    pos_ += 4;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void Archive::Read(void* data, size_t n)
{
    CheckLoading();
    Need(n);
    if (n) std::memcpy(data, in_.data() + pos_, n);
    pos_ += n;
}

std::string Archive::ReadBytes(size_t n)
{
    CheckLoading();
    Need(n);
    std::string s(in_.substr(pos_, n));
    pos_ += n;
    return s;
}

// ---- strings -----------------------------------------------------------

void Archive::WriteString(std::string_view s)
{
    CheckStoring();
    const size_t n = s.size();
    if (n > 0xFFFFFFFEu) ThrowError(CArchiveException::genericException);
    if (n < 255) {
        WriteU8(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<uint16_t>(n));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<uint32_t>(n));
    }
    Write(s.data(), n);
}

uint32_t Archive::ReadStringLength(bool& unicode)
{
    unicode = false;
    uint8_t b = ReadU8();
    if (b < 0xFF) return b;
    uint16_t w = ReadU16();
    if (w == 0xFFFE) {
        unicode = true;
        b = ReadU8();
        if (b < 0xFF) return b;
        w = ReadU16();
    }
    if (w < 0xFFFE) return w;
    const uint32_t d = ReadU32();
    // The 64-bit form would follow 0xFFFFFFFF; no stored form is that long.
    if (d == 0xFFFFFFFFu) ThrowError(CArchiveException::endOfFile);
    return d;
}

std::string Archive::ReadString()
{
    CheckLoading();
    bool unicode = false;
    const uint32_t n = ReadStringLength(unicode);
    if (!unicode) return ReadBytes(n);
    const uint64_t bytes = static_cast<uint64_t>(n) * 2;
    if (bytes > Remaining()) ThrowError(CArchiveException::endOfFile);
    const std::string raw = ReadBytes(static_cast<size_t>(bytes));
    return Utf8ToCp932Lossy(Utf16LeToUtf8(raw));
}

// ---- counts ------------------------------------------------------------

void Archive::WriteCount(uint32_t n)
{
    if (n < 0xFFFF) {
        WriteU16(static_cast<uint16_t>(n));
    } else {
        WriteU16(0xFFFF);
        WriteU32(n);
    }
}

uint32_t Archive::ReadCount(size_t minElementSize)
{
    uint32_t n = ReadU16();
    if (n == 0xFFFF) n = ReadU32();
    if (minElementSize && static_cast<uint64_t>(n) * minElementSize > Remaining())
        ThrowError(CArchiveException::endOfFile);
    return n;
}

// ---- objects: storing --------------------------------------------------

void Archive::WriteClass(const ClassInfo& cls)
{
    if (auto it = storeMap_.find(&cls); it != storeMap_.end()) {
        const uint32_t id = it->second;
        if (id < kBigObjectTag) {
            WriteU16(static_cast<uint16_t>(kClassTag | id));
        } else {
            WriteU16(kBigObjectTag);
            WriteU32(kBigClassTag | id);
        }
        return;
    }
    if (mapCount_ >= kMaxMapCount) ThrowError(CArchiveException::genericException);
    const size_t len = std::strlen(cls.name);
    WriteU16(kNewClassTag);
    WriteU16(cls.schema);
    WriteU16(static_cast<uint16_t>(len));
    Write(cls.name, len);
    storeMap_[&cls] = mapCount_++;
}

void Archive::WriteObject(const CObject* obj)
{
    CheckStoring();
    if (!obj) {
        WriteU16(kNullTag);
        return;
    }
    if (auto it = storeMap_.find(obj); it != storeMap_.end()) {
        const uint32_t id = it->second;
        if (id < kBigObjectTag) {
            WriteU16(static_cast<uint16_t>(id));
        } else {
            WriteU16(kBigObjectTag);
            WriteU32(id);
        }
        return;
    }
    const ClassInfo& cls = obj->GetRuntimeClass();
    WriteClass(cls);
    if (mapCount_ >= kMaxMapCount) ThrowError(CArchiveException::genericException);
    storeMap_[obj] = mapCount_++;
    // Serialize is non-const by design (it also loads); storing leaves the
    // object as it was, apart from values it stamps on purpose.
    const_cast<CObject*>(obj)->Serialize(*this, cls.schema);
}

// ---- objects: loading --------------------------------------------------

Archive::TagInfo Archive::ReadTag(const ClassInfo& expected)
{
    const uint16_t wTag = ReadU16();
    uint32_t obTag;
    if (wTag == kBigObjectTag)
        obTag = ReadU32();
    else
        obTag = (static_cast<uint32_t>(wTag & kClassTag) << 16) | (wTag & ~kClassTag);

    TagInfo info;
    if (wTag == kNewClassTag) {
        const uint16_t schema = ReadU16();
        const uint16_t len = ReadU16();
        if (len > kMaxClassNameLength) ThrowError(CArchiveException::badClass);
        const std::string name = ReadBytes(len);
        const ClassInfo* cls = ClassRegistry::Instance().Find(name);
        if (!cls || !cls->create) ThrowError(CArchiveException::badClass);
        if (schema != cls->schema && !cls->versionable) ThrowError(CArchiveException::badSchema);
        if (mapCount_ >= kMaxMapCount) ThrowError(CArchiveException::genericException);
        LoadEntry e;
        e.cls = cls;
        e.schema = schema;
        e.isClass = true;
        loadArray_.push_back(e);
        ++mapCount_;
        info.classEntry = &loadArray_.back();
    } else if (obTag & kBigClassTag) {
        const uint32_t index = obTag & ~kBigClassTag;
        if (index == 0 || index >= loadArray_.size() || !loadArray_[index].isClass)
            ThrowError(CArchiveException::badIndex);
        info.classEntry = &loadArray_[index];
    } else {
        info.objectTag = obTag;
        return info;
    }
    if (!info.classEntry->cls->IsDerivedFrom(expected)) ThrowError(CArchiveException::badClass);
    return info;
}

std::unique_ptr<CObject> Archive::CreateAndLoad(const LoadEntry& classEntry)
{
    // The entry may move when the load array grows; copy what we need.
    const ClassInfo* cls = classEntry.cls;
    const uint32_t schema = classEntry.schema;
    if (depth_ >= kMaxDepth) ThrowError(CArchiveException::genericException);
    if (mapCount_ >= kMaxMapCount) ThrowError(CArchiveException::genericException);

    std::unique_ptr<CObject> obj = cls->create();
    const size_t index = loadArray_.size();
    LoadEntry e;
    e.obj = obj.get();
    loadArray_.push_back(e);
    ++mapCount_;
    ++depth_;
    // A half-read object is never referred to again, and the archive reads
    // no further.
    OnFailure forget([this, index] {
        --depth_;
        loadArray_[index].obj = nullptr;
        failed_ = true;
    });
    obj->Serialize(*this, schema);
    --depth_;
    return obj;
}

std::unique_ptr<CObject> Archive::ReadOwnedObject(const ClassInfo& expected, bool required)
{
    CheckLoading();
    TagInfo tag = ReadTag(expected);
    if (!tag.classEntry) {
        if (tag.objectTag == 0) {
            if (required) ThrowError(CArchiveException::badIndex);
            return nullptr;
        }
        // A back-reference where the reader takes ownership.
        ThrowError(CArchiveException::badIndex);
    }
    return CreateAndLoad(*tag.classEntry);
}

CObject* Archive::ReadObjectRef(const ClassInfo& expected)
{
    CheckLoading();
    TagInfo tag = ReadTag(expected);
    if (tag.classEntry) ThrowError(CArchiveException::badIndex); // nobody would own it
    if (tag.objectTag == 0) return nullptr;
    if (tag.objectTag >= loadArray_.size()) ThrowError(CArchiveException::badIndex);
    const LoadEntry& e = loadArray_[tag.objectTag];
    if (e.isClass || !e.obj) ThrowError(CArchiveException::badIndex);
    if (!e.obj->IsKindOf(expected)) ThrowError(CArchiveException::badClass);
    return e.obj;
}

} // namespace nv
