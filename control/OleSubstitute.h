#pragma once
// The picture that stands in for an OLE object on a document page: no OLE
// server draws here, so it is the item's cached presentation as an
// enhanced metafile.
#include <cstdint>
#include <string>

namespace nv {

class TvOle;

// An enhanced metafile whose frame is the object's size: the cached EMF as
// it is, a cached DIB stretched over the frame, or an empty one.
std::string OleSubstituteMetafile(const TvOle& ole);

} // namespace nv
