#pragma once
// The words of archive bytes built by hand, and the round trip through the
// archive, shared by the tests of shapes and of text objects.
#include "engine/core/Archive.h"
#include "engine/core/Exceptions.h"
#include "engine/model/ModelClasses.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace archivebytes {

inline std::string U16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(uint16_t(v)) + U16(uint16_t(v >> 16)); }
inline std::string I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }

inline std::string ClassRecord(const std::string& name, uint16_t schema = 10)
{
    return U16(0xFFFF) + U16(schema) + U16(uint16_t(name.size())) + name;
}

inline std::string Store(const nv::CObject& o)
{
    nv::Archive ar;
    ar.WriteObject(&o);
    return ar.TakeBytes();
}

template <class T>
std::unique_ptr<T> Load(const std::string& bytes)
{
    nv::RegisterModelClasses();
    nv::Archive ar{std::string_view(bytes)};
    auto obj = ar.ReadObject<T>();
    if (ar.Remaining() != 0) ADD_FAILURE() << "bytes left: " << ar.Remaining();
    return obj;
}

// -1 when loading succeeds, else the archive error's cause. Anything else
// thrown fails the test.
inline int LoadCause(const std::string& bytes)
{
    nv::RegisterModelClasses();
    try {
        nv::Archive ar{std::string_view(bytes)};
        auto obj = ar.ReadObject<nv::TvObject>();
        return -1;
    } catch (const nv::CArchiveException& e) {
        return e.cause();
    }
}

// Every cut of a stored object is an archive error.
inline void ExpectEveryTruncationFails(const std::string& bytes)
{
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_NE(LoadCause(bytes.substr(0, n)), -1) << "cut at " << n;
    EXPECT_EQ(LoadCause(bytes), -1);
}

} // namespace archivebytes
