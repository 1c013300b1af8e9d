#pragma once
#include <QString>

namespace nv::viewer {

struct CommandLine;

// /p and /pt: every page of the document to the default or the named
// printer, without a window. The exit code: 0 printed, 1 otherwise.
int PrintWithoutWindow(const CommandLine& command, const QString& path);

// Where the virtual printer writes a document when there is no printer.
QString VirtualPdfFor(const QString& documentPath, const QString& documentName);

} // namespace nv::viewer
