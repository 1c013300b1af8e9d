// Build step: writes the report forms the journals print on into a share
// folder (its PRINT folder is made when missing).
#include "ledger/journal/forms/PrintForms.h"
#include "platform/core/OnFailure.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Through a temporary file, so that a failed run leaves no half-written form.
void WriteWhole(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    fs::path temp = path;
    temp += ".part";
    nv::OnFailure removeTemp([&temp] {
        std::error_code ignored;
        fs::remove(temp, ignored);
    });
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw fs::filesystem_error("cannot write", temp, std::make_error_code(std::errc::io_error));
    fs::rename(temp, path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <share folder>\n", argv[0]);
        return 2;
    }
    for (const nv::PrintForm& form : nv::PrintForms()) {
        const fs::path path = fs::path(argv[1]) / fs::path(form.path);
        try {
            WriteWhole(path, nv::StorePrintForm(*form.make()));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
            return 1;
        }
    }
    return 0;
}
