// Prints the drawing control's type library and error table as stable text.
#include "control/TypeLibrary.h"

#include <cstdio>

int main()
{
    std::string text = nv::PrintTypeLibrary();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
