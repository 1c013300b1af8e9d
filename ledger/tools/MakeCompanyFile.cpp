// Build step: writes the settings file that a first start copies, for the
// year of the build.
#include "ledger/common/CompanyFile.h"

#include <chrono>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    try {
        const auto today = std::chrono::year_month_day(
            std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
        nv::WriteCompanyFile(argv[1], nv::DefaultCompanyFile(int(today.year())));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
