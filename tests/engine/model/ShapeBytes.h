#pragma once
// Hand-built archive bytes of shapes, written from the stored field order,
// to hold the serialisation to.
#include "ArchiveBytes.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvGraphic.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace shapetest {

using namespace archivebytes;

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

} // namespace shapetest
