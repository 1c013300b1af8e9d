#pragma once
// The pen and box rows pictures and OLE objects share: each has these
// fields under the same names.
#include "engine/core/TvObject.h"

namespace nv {

template <class C>
inline constexpr ObjectPropertyTable::Row kFramedRows[] = {
    ObjectRows::Field<&C::m_nLineWidth>(propLineWidth), ObjectRows::Field<&C::m_nLineStyle>(propLineStyle),
    ObjectRows::Field<&C::m_crLineColor>(propLineColor), ObjectRows::Field<&C::m_bFrame>(propFrame),
    ObjectRows::Field<&C::m_nWidth>(propWidth),          ObjectRows::Field<&C::m_nHeight>(propHeight),
};

} // namespace nv
