#pragma once
// Hand-built archive bytes of shapes, written from the stored field order,
// to hold the serialisation to.
#include "engine/core/Archive.h"
#include "engine/core/Exceptions.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvGraphic.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace shapetest {

inline std::string U16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(uint16_t(v)) + U16(uint16_t(v >> 16)); }
inline std::string I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }

inline std::string ClassRecord(const std::string& name, uint16_t schema = 10)
{
    return U16(0xFFFF) + U16(schema) + U16(uint16_t(name.size())) + name;
}

// Base and pen/fill part; `versions` false leaves out the version words, as
// archives of schema 9 and below have them.
inline std::string GraphicBytes(const nv::TvGraphic& g, bool versions = true)
{
    std::string b;
    if (versions) b += U32(10);
    b += char(g.m_strName.size()) + g.m_strName;
    b += U32(g.m_nObjectId) + I32(g.m_nReserved) + I32(g.m_nX) + I32(g.m_nY) + I32(g.m_bTransparent) +
         U32(g.m_crBackColor) + I32(g.m_nDrawOrder);
    if (versions) b += U32(10);
    b += U16(uint16_t(g.m_nFillStyle)) + U32(g.m_crFillColor) + U16(uint16_t(g.m_nLineStyle)) +
         I32(g.m_nLineWidth) + U32(g.m_crLineColor);
    return b;
}

// Sets every shared field to something other than its default.
inline void FillGraphic(nv::TvGraphic& g, const std::string& name)
{
    g.m_strName = name;
    g.m_nObjectId = 42;
    g.m_nReserved = -7;
    g.m_nX = 1000;
    g.m_nY = -2000;
    g.m_bTransparent = 0;
    g.m_crBackColor = 0x00123456;
    g.m_nDrawOrder = 3;
    g.m_nFillStyle = 5;
    g.m_crFillColor = 0x000000FF;
    g.m_nLineStyle = 2;
    g.m_nLineWidth = 30000;
    g.m_crLineColor = 0x00FF0000;
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

// Every cut of a stored shape is an archive error.
inline void ExpectEveryTruncationFails(const std::string& bytes)
{
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_NE(LoadCause(bytes.substr(0, n)), -1) << "cut at " << n;
    EXPECT_EQ(LoadCause(bytes), -1);
}

} // namespace shapetest
