#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nv {

// 単価 x 数量 in whole yen, rounded once, half to even. Throws
// AmountOverflow for a result that is not finite or beyond what an amount
// column holds.
int64_t YenAmount(double unitPrice, double quantity);

// A running balance is a Long wherever it is made, because the year end
// carries it into 繰越金額, a Long: the journal refuses at its balance passes
// what the carry-forward would refuse at the year end, in the same words.
inline constexpr int64_t kLowestBalance = -2147483648LL;
inline constexpr int64_t kHighestBalance = 2147483647LL;

// "<name> <value> が範囲 (-2147483648 から 2147483647) を超えています" for a
// value outside that range, else nothing.
std::optional<std::string> BalanceRangeFault(std::string_view name, int64_t value);

} // namespace nv
