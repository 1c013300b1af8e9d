#pragma once
// The picture that stands in for an OLE object on a document page: no OLE
// server draws here, so it is the item's cached presentation as an
// enhanced metafile.
#include "engine/core/Geometry.h"

#include <cstdint>
#include <string>

namespace nv {

class TvOle;

// The metafile of a cached presentation (TvOleItem's kinds: an EMF is kept
// as it is, a packed DIB is stretched over `bounds`, anything else gives an
// empty metafile of that size). A DIB whose header does not hold together
// counts as none.
std::string PresentationMetafile(const std::string& data, int32_t kind, const Rect& bounds);

// An enhanced metafile whose frame is the object's size: the cached EMF as
// it is, a cached DIB stretched over the frame, or an empty one.
std::string OleSubstituteMetafile(const TvOle& ole);

} // namespace nv
