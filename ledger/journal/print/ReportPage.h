#pragma once
// A report page as the drawing control receives it: the texts written into
// the form's named objects, in the order they are written. Pages are built
// by pure functions and sent by the print job.
#include "engine/format/StrForm.h" // balances are written in Str form
#include "platform/automation/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nv {

struct FieldWrite {
    std::string Name;
    Variant Value;
};

struct ReportPage {
    std::vector<FieldWrite> Writes;
};

// A whole number as the control takes it: a Long while it fits, else its
// digits as text (a total never wraps).
Variant NumberValue(int64_t value);
// The page number as an Integer while it fits.
Variant PageNumberValue(int page);

} // namespace nv
