#pragma once
// The settings file company.w1: 18 pairs of a label line and a value line,
// CR LF, in CP932. Labels are kept as their bytes; values follow the
// sequential-input syntax (blanks skipped, an unquoted text ends at a comma,
// a quoted text may hold commas).
#include "ledger/common/CompanySettings.h"

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nv {

inline constexpr const char* kCompanyFileName = "company.w1";
inline constexpr int kCompanyItemCount = 18;

// A settings file that cannot be read or written. line() is the 1-based line
// of the file (0 when none), item() the item number 1-18 (0 when none).
class CompanyFileError : public std::runtime_error {
public:
    CompanyFileError(int line, int item, const std::string& message)
        : std::runtime_error(message), line_(line), item_(item) {}
    int line() const { return line_; }
    int item() const { return item_; }

private:
    int line_;
    int item_;
};

// Labels for a new file, in CP932.
std::array<std::string, kCompanyItemCount> DefaultItemLabels();

struct CompanyFile {
    std::array<std::string, kCompanyItemCount> ItemLabels = DefaultItemLabels();   // CP932, no line end
    CompanySettings Settings;                                 // DatabaseName is not stored
    float PortraitSummary = 0;                                // item 16
    float ScreenFlag = 0;                                     // item 17
    // Value lines as read: written back as they stand while their value is
    // unchanged, so an untouched file is rewritten byte for byte.
    std::array<std::string, kCompanyItemCount> ValueLines;
};

// The settings a new installation starts with: term 1, a calendar fiscal
// year from January 1 of `year`, sole proprietor, taxable at 10 %, closing
// days 末日, landscape summaries, screen left alone, blank names.
CompanyFile DefaultCompanyFile(int year);

// Display name of an item (1-18) for messages.
const char* CompanyItemName(int item);

// Parses the whole file; throws CompanyFileError naming line and item.
// DatabaseName of the result keeps its default.
CompanyFile ParseCompanyFile(std::string_view bytes);
// Formats the file; throws CompanyFileError when a text holds a character
// CP932 cannot hold or a line break.
std::string FormatCompanyFile(const CompanyFile& file);

CompanyFile ReadCompanyFile(const std::string& path);
// Writes a temporary file beside path and renames it over path, so a failure
// leaves the old file whole.
void WriteCompanyFile(const std::string& path, const CompanyFile& file);

// A number as the run-time prints it: a blank for the sign of a non-negative
// number, 7 significant digits (9 where 7 would change the value), no leading zero before the point, and a
// trailing blank.
std::string PrintNumber(float value);

} // namespace nv
