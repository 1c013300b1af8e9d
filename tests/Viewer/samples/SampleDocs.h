#pragma once
// Report documents written through the real store, for the viewer's tests,
// benchmarks and the nv_sample_docs tool. Page n shows "P<n>" and a black
// square whose place depends on n.
#include <cstdint>
#include <string>
#include <vector>

namespace nv::samples {

constexpr int32_t kMm = 56693;

// A printer change one page carries; fields below 0 are left out.
struct PaperChange {
    int32_t paperId = -1;
    int32_t widthTenths = -1;
    int32_t lengthTenths = -1;
    int32_t orientation = -1;
};

struct SampleSpec {
    int pages = 5;
    int32_t paperId = 9;          // A4
    int16_t widthTenths = 2100;   // portrait width and length, tenths of a mm
    int16_t lengthTenths = 2970;
    int32_t orientation = 1;      // 1 portrait, 2 landscape
    bool alternate = false;       // even pages turned the other way
    std::string nameUtf8{};       // the stored document name
    std::vector<PaperChange> changes{}; // page n's at n-1, after `alternate`
    // Above 0: every page names page 1's record, as a crafted file may, and
    // that record holds a value of so many bytes for an object no form has.
    size_t sharedRecordBytes = 0;
};

// The square of page n, in document units on the page: left, top, side.
struct SquarePlace {
    int32_t left;
    int32_t top;
    int32_t side;
};
SquarePlace SquareOf(int page);

// Writes the document (a UTF-8 path); throws what the store throws.
void WriteSampleDoc(const std::string& path, const SampleSpec& spec);

// Rewrites the index of the one-page document at `path` so that `pages`
// pages all name its record, numbered in order or last to first.
void PointEveryPageAtTheFirst(const std::string& path, uint32_t pages, bool reversed = false);

// The set the tool writes into a folder: five.tvd, mixed.tvd, a3-landscape.tvd,
// paper-length-0.tvd, no-pages.tvd, named.tvd, and many.tvd when manyPages > 0.
void WriteSampleSet(const std::string& folder, int manyPages = 0);

} // namespace nv::samples
