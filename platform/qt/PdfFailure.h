#pragma once
// Why a PDF file could not be written, as far as its folder tells (no
// folder, no right to write, a read-only file, a full disk), in Japanese:
// the viewer says it to the person, the control writes it to the log.
#include <QString>

namespace nv {

QString PdfFailureReason(const QString& file);

} // namespace nv
