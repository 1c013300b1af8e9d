#include "ledger/journal/print/ReportPage.h"

#include <limits>

namespace nv {

Variant NumberValue(int64_t value)
{
    if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max())
        return Variant(static_cast<int32_t>(value));
    return Variant(std::to_string(value));
}

Variant PageNumberValue(int page)
{
    if (page <= std::numeric_limits<int16_t>::max()) return Variant(static_cast<int16_t>(page));
    return Variant(static_cast<int32_t>(page));
}

} // namespace nv
