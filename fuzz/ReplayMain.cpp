// Runs every file of a corpus folder (or the files named) through the fuzz
// entry point, so the seeds are checked by the ordinary test run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static int RunFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", p.c_str());
        return 1;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    int files = 0, failures = 0;
    for (int i = 1; i < argc; ++i) {
        fs::path p(argv[i]);
        if (fs::is_directory(p)) {
            std::vector<fs::path> all;
            for (const auto& e : fs::recursive_directory_iterator(p))
                if (e.is_regular_file()) all.push_back(e.path());
            std::sort(all.begin(), all.end());
            for (const auto& f : all) { failures += RunFile(f); ++files; }
        } else {
            failures += RunFile(p);
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    if (files == 0) {
        std::fprintf(stderr, "empty corpus\n");
        return 1;
    }
    return failures ? 1 : 0;
}
