#include "ledger/common/Money.h"

#include "ledger/common/LedgerErrors.h"

#include <cfenv>
#include <cmath>
#include <stdexcept>

namespace nv {

int64_t YenAmount(double unitPrice, double quantity)
{
    double product = unitPrice * quantity;
    if (!std::isfinite(product) || std::fabs(product) > 9.0e15)
        throw AmountOverflow("金額が大きすぎます");
    // Half to even whatever the caller's rounding mode.
    double whole = std::floor(product);
    double frac = product - whole;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<int64_t>(whole);
}

std::optional<std::string> BalanceRangeFault(std::string_view name, int64_t value)
{
    if (value >= kLowestBalance && value <= kHighestBalance) return std::nullopt;
    return std::string(name) + " " + std::to_string(value) + " が範囲 (" + std::to_string(kLowestBalance) + " から " +
           std::to_string(kHighestBalance) + ") を超えています";
}

} // namespace nv
