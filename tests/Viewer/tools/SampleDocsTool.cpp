// nv_sample_docs <folder> [pages]: writes the viewer's sample documents;
// with a page count also many.tvd of that many pages.
#include "SampleDocs.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: nv_sample_docs <folder> [pages of many.tvd]\n");
        return 2;
    }
    try {
        nv::samples::WriteSampleSet(argv[1], argc > 2 ? std::atoi(argv[2]) : 0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nv_sample_docs: %s\n", e.what());
        return 1;
    }
    return 0;
}
