#pragma once
// The settings file company.w1: 18 pairs of a label line and a value line,
// CR LF, in CP932. Labels are kept as their bytes; values follow the
// sequential-input syntax (blanks skipped, an unquoted text ends at a comma,
// a quoted text may hold commas).
#include "ledger/common/CompanySettings.h"
#include "platform/core/FileReplacement.h"

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

inline constexpr const char* kCompanyFileName = "company.w1";
inline constexpr int kCompanyItemCount = 18;

// A settings file that cannot be read or written. Line() is the 1-based line
// of the file (0 when none), Item() the item number 1-18 (0 when none).
class CompanyFileError : public std::runtime_error {
public:
    CompanyFileError(int line, int item, const std::string& message)
        : std::runtime_error(message), line_(line), item_(item) {}
    int Line() const { return line_; }
    int Item() const { return item_; }

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
    // Items that could not be read, or read as values that cannot be (a
    // start of 2024/13/45): each took its default.
    std::vector<CompanyFileError> Problems;
    // Values kept as read that 自社登録 would refuse to save (a closing day
    // that is none of the words, which the summaries close at the month's
    // end): said, never replaced.
    std::vector<CompanyFileError> Cautions;
    // The fiscal start is the file's own, not a default: a start the file
    // did not hold must never move the books.
    bool StartHeld = false;
};

// The calendar year today: what a new or damaged file's fiscal year defaults to.
int ThisYear();

// The settings a new installation starts with: term 1, a calendar fiscal
// year from January 1 of `year`, sole proprietor, taxable at 10 %, closing
// days 末日, landscape summaries, screen left alone, blank names.
CompanyFile DefaultCompanyFile(int year);

// Display name of an item (1-18) for messages.
const char* CompanyItemName(int item);

// Parses the whole file; throws CompanyFileError naming line and item of
// the first value that cannot be read or cannot be. DatabaseName of the
// result keeps its default.
CompanyFile ParseCompanyFile(std::string_view bytes);
// Parses what can be read: an item that cannot be read, or reads as a value
// that cannot be, takes the default of DefaultCompanyFile(defaultYear) and
// is listed in Problems; the others keep their values. A bad start is taken
// from the end when that reads (and the other way round), so the two still
// make one fiscal year.
CompanyFile ParseCompanyFileKeeping(std::string_view bytes, int defaultYear);
// The problems in words for the user, one line each, naming the items.
std::string DescribeProblems(const std::vector<CompanyFileError>& problems);
// The cautions in words for the user, one line each, naming line and item.
std::string DescribeCautions(const std::vector<CompanyFileError>& cautions);
// Formats the file; throws CompanyFileError when a text holds a character
// CP932 cannot hold or a line break.
std::string FormatCompanyFile(const CompanyFile& file);

// The file's bytes; throws CompanyFileError when it cannot be read (missing,
// not a regular file, too large), saying why in words.
std::string ReadCompanyFileBytes(const std::string& path);
// Reads and parses what can be read (ParseCompanyFileKeeping).
CompanyFile ReadCompanyFile(const std::string& path, int defaultYear = ThisYear());
// Writes a temporary file beside path and renames it over path, so a failure
// leaves the old file whole.
void WriteCompanyFile(const std::string& path, const CompanyFile& file);
void WriteCompanyFileBytes(const std::string& path, const std::string& bytes);

// A new company.w1 made whole beside the old one (written and flushed) and
// put in its place only by Replace(), so the caller can commit other work in
// between; dropped when it is not replaced. As documents are written: a link
// is written through, a read-only file is refused, a new file is private to
// its owner. Throws CompanyFileError.
class CompanyFileReplacement {
public:
    CompanyFileReplacement(const std::string& path, const std::string& bytes);
    ~CompanyFileReplacement();
    CompanyFileReplacement(const CompanyFileReplacement&) = delete;
    CompanyFileReplacement& operator=(const CompanyFileReplacement&) = delete;
    void Replace();

private:
    FileReplacement file_;
};

// Removes what a process killed inside a save left beside folder's
// company.w1 (and beside the file a link of that name points to): what
// RemoveReplacementLeftovers removes, never a file of the user's. Returns
// how many were removed.
int RemoveCompanyFileLeftovers(const std::string& folder);

// A number as the run-time prints it: a blank for the sign of a non-negative
// number, 7 significant digits (9 where 7 would change the value), no leading zero before the point, and a
// trailing blank.
std::string PrintNumber(float value);

} // namespace nv
