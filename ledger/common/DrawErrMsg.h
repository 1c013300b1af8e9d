#pragma once
#include <cstdint>
#include <string>

namespace nv {

// The Japanese message (UTF-8) for a result code of the drawing control; a
// code without an entry gives a text naming the code.
std::string gfDrawErrMsg(int32_t code);

} // namespace nv
