#pragma once
// Writer and reader of the class-library archive format that form archives
// are stored in: little-endian fixed-width values, length-prefixed strings,
// element counts, and objects with class records and back-references.
//
// Reading is hardened: every object read names the class it expects, every
// length and count is checked against the bytes that remain, and malformed
// input ends in a CArchiveException (truncation: endOfFile).
#include "engine/core/CObject.h"
#include "engine/core/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nv {

class Archive {
public:
    // Tags of the object stream.
    static constexpr uint16_t kNullTag = 0x0000;
    static constexpr uint16_t kNewClassTag = 0xFFFF;
    static constexpr uint16_t kClassTag = 0x8000;
    static constexpr uint32_t kBigClassTag = 0x80000000u;
    static constexpr uint16_t kBigObjectTag = 0x7FFF;
    static constexpr uint32_t kMaxMapCount = 0x3FFFFFFE;
    // Longest class name a record may carry.
    static constexpr size_t kMaxClassNameLength = 63;

    // A storing archive writing into its own buffer.
    Archive();
    // A loading archive over bytes the caller keeps alive while it is used.
    // `fileName` only names the source in error messages.
    explicit Archive(std::string_view bytes, std::string fileName = {});
    // A loading archive that keeps its own copy of the bytes (a temporary
    // string binds here, so it cannot dangle).
    explicit Archive(std::string&& bytes, std::string fileName = {});

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsStoring() const { return storing_; }
    bool IsLoading() const { return !storing_; }

    // Storing: what has been written so far.
    const std::string& Bytes() const { return out_; }
    std::string TakeBytes() { return std::move(out_); }
    // Loading: read position and what is left.
    size_t Position() const { return storing_ ? out_.size() : pos_; }
    size_t Remaining() const { return storing_ ? 0 : in_.size() - pos_; }
    void Flush() {}
    // Loading: options for the classes read, each class naming its own bits
    // (none by default).
    void SetLoadOptions(uint32_t options) { loadOptions_ = options; }
    uint32_t LoadOptions() const { return loadOptions_; }

    // ---- fixed-width values -------------------------------------------
    void WriteU8(uint8_t v);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteI16(int16_t v) { WriteU16(static_cast<uint16_t>(v)); }
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void Write(const void* data, size_t n);

    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int16_t ReadI16() { return static_cast<int16_t>(ReadU16()); }
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    // Exactly n bytes or endOfFile.
    void Read(void* data, size_t n);
    std::string ReadBytes(size_t n);

    // Stream style for serialisers; only fixed-width types are accepted.
    Archive& operator<<(uint8_t v) { WriteU8(v); return *this; }
    Archive& operator<<(uint16_t v) { WriteU16(v); return *this; }
    Archive& operator<<(int16_t v) { WriteI16(v); return *this; }
    Archive& operator<<(uint32_t v) { WriteU32(v); return *this; }
    Archive& operator<<(int32_t v) { WriteI32(v); return *this; }
    Archive& operator<<(const std::string& s) { WriteString(s); return *this; }
    Archive& operator>>(uint8_t& v) { v = ReadU8(); return *this; }
    Archive& operator>>(uint16_t& v) { v = ReadU16(); return *this; }
    Archive& operator>>(int16_t& v) { v = ReadI16(); return *this; }
    Archive& operator>>(uint32_t& v) { v = ReadU32(); return *this; }
    Archive& operator>>(int32_t& v) { v = ReadI32(); return *this; }
    Archive& operator>>(std::string& s) { s = ReadString(); return *this; }

    // ---- strings (CP932 bytes) ----------------------------------------
    // Length < 255: one byte; < 0xFFFE: FF + 16-bit; else FF FFFF + 32-bit.
    void WriteString(std::string_view s);
    // Also accepts the UTF-16 form (FF FFFE prefix) and converts it to CP932.
    std::string ReadString();

    // ---- element counts of list serialisation -------------------------
    // 16-bit below 0xFFFF, else FFFF + 32-bit.
    void WriteCount(uint32_t n);
    // Refuses (endOfFile) a count whose elements, at `minElementSize` bytes
    // each, cannot fit in the bytes that remain.
    uint32_t ReadCount(size_t minElementSize = 2);

    // ---- objects -------------------------------------------------------
    // Null, a back-reference to an object already written, or the class
    // (record or reference) followed by the object's Serialize.
    void WriteObject(const CObject* obj);
    void WriteObject(const CObject& obj) { WriteObject(&obj); }

    // Reads an object that the caller will own: null (unless `required`) or
    // a new object of class `expected` or derived from it. A back-reference
    // here is refused (badIndex), so no object gets two owners.
    std::unique_ptr<CObject> ReadOwnedObject(const ClassInfo& expected, bool required);
    template <class T>
    std::unique_ptr<T> ReadObject(bool required = true)
    {
        return std::unique_ptr<T>(static_cast<T*>(ReadOwnedObject(T::Class(), required).release()));
    }

    // Reads null or a back-reference to an object already read from this
    // archive (not owned by the caller; valid while its owner lives).
    CObject* ReadObjectRef(const ClassInfo& expected);
    template <class T>
    T* ReadRef()
    {
        return static_cast<T*>(ReadObjectRef(T::Class()));
    }

    // List serialisation: count, then each element by WriteObject.
    template <class T>
    void WriteList(const std::vector<std::unique_ptr<T>>& list)
    {
        WriteCount(static_cast<uint32_t>(list.size()));
        for (const auto& e : list) WriteObject(e.get());
    }
    // Appends the elements read; none may be null.
    template <class T>
    void ReadList(std::vector<std::unique_ptr<T>>& list)
    {
        const uint32_t n = ReadCount(2);
        // The count is only a claim until the elements are read.
        list.reserve(list.size() + (n < 1024 ? n : 1024));
        for (uint32_t i = 0; i < n; ++i) list.push_back(ReadObject<T>(true));
    }

    [[noreturn]] void ThrowError(CArchiveException::Cause cause) const;

private:
    struct LoadEntry {
        const ClassInfo* cls = nullptr; // set for class records
        uint32_t schema = 0;            // stored schema of a class record
        CObject* obj = nullptr;         // set for objects
        bool isClass = false;
    };
    struct TagInfo {
        const LoadEntry* classEntry = nullptr; // a class to create, or
        uint32_t objectTag = 0;               // 0 null, else back-reference id
    };

    void CheckStoring() const;
    void CheckLoading() const;
    void Need(size_t n) const;
    void WriteClass(const ClassInfo& cls);
    TagInfo ReadTag(const ClassInfo& expected);
    uint32_t ReadStringLength(bool& unicode);
    std::unique_ptr<CObject> CreateAndLoad(const LoadEntry& entry);

    bool storing_;
    std::string out_;
    std::string owned_;
    std::string_view in_;
    size_t pos_ = 0;
    std::string fileName_;
    int depth_ = 0;
    uint32_t loadOptions_ = 0;
    mutable bool failed_ = false;

    // Ids of the stream, counting class records and objects together from 1.
    uint32_t mapCount_ = 1;
    std::unordered_map<const void*, uint32_t> storeMap_;
    std::vector<LoadEntry> loadArray_;
};

} // namespace nv
