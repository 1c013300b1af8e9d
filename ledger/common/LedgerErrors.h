#pragma once
// What the books' own arithmetic and calendar refuse. Each message is
// already the user's words and names the setting, row or total at fault.
#include <stdexcept>

namespace nv {

// An amount, balance or total past what the books hold.
class AmountOverflow : public std::range_error {
public:
    using std::range_error::range_error;
};

// A date, month or fiscal period the books cannot be kept by: a setting out
// of order, a closing day past 31, a row dated outside the period.
class PeriodError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

} // namespace nv
