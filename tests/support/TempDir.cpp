#include "TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace nvtest {

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "nvtest-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + p.string());
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string HexDump(const std::string& bytes, size_t max)
{
    std::string s;
    char buf[4];
    for (size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i) s += (i % 16 == 0) ? '\n' : ' ';
        s += buf;
    }
    if (bytes.size() > max) s += " ...";
    return s;
}

} // namespace nvtest
