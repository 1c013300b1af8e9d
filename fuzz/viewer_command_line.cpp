// The viewer's command line: arguments are the input split at NUL bytes.
// Whatever they are, a path given is one of them and a known switch never is.
#include "Viewer/CommandLine.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList args;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& a : bytes.split('\0')) args << QString::fromUtf8(a);
    const nv::viewer::CommandLine c = nv::viewer::CommandLine::Parse(args);
    using Action = nv::viewer::CommandLine::Action;
    if (!c.path.isEmpty() && !args.contains(c.path)) std::abort();
    if (c.action == Action::Open && c.path.isEmpty()) std::abort();
    if ((c.action == Action::Print || c.action == Action::PrintTo) && c.path.isEmpty()) std::abort();
    if (c.action != Action::PrintTo && !(c.printer.isEmpty() && c.driver.isEmpty() && c.port.isEmpty())) std::abort();
    // Parsing is a function of the arguments alone.
    if (!(nv::viewer::CommandLine::Parse(args) == c)) std::abort();
    return 0;
}
