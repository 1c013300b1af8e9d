// Writes a ProgID file from what the plug-ins' factories describe:
//   nv_progids <output file> <library folder as written> <plug-in>...
#include "platform/automation/ProgIdRegistry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: nv_progids <output> <library folder> <plug-in>...\n");
        return 2;
    }
    std::string text = "# ProgID\tlibrary\ttype name\tcategories (written by nv_progids)\n";
    try {
        for (int i = 3; i < argc; ++i) {
            if (!*argv[i]) continue;
            const nv::PluginApi& api = nv::LoadPlugin(std::filesystem::absolute(argv[i]).string());
            text += nv::FormatProgIdLines(api, std::string(argv[2]) + std::filesystem::path(argv[i]).filename().string());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nv_progids: %s\n", e.what());
        return 1;
    }
    std::string out = argv[1];
    std::string tmp = out + ".tmp";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(out).parent_path(), ec);
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f << text;
        if (!f.flush()) {
            std::fprintf(stderr, "nv_progids: cannot write %s\n", tmp.c_str());
            return 1;
        }
    }
    std::filesystem::rename(tmp, out, ec);
    if (ec) {
        std::fprintf(stderr, "nv_progids: cannot write %s: %s\n", out.c_str(), ec.message().c_str());
        return 1;
    }
    return 0;
}
