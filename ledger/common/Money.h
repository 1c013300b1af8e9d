#pragma once
#include <cstdint>

namespace nv {

// 単価 x 数量 in whole yen, rounded once, half to even. Throws
// std::range_error for a result that is not finite or beyond what an amount
// column holds.
int64_t YenAmount(double unitPrice, double quantity);

} // namespace nv
