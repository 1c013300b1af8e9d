#pragma once
// Temporary files that hold the bytes of embedded pictures and substitute
// pictures while a form is loaded.
#include <string>

namespace nv {

// A new, empty temporary file from the temporary-file manager; throws
// CAppException 30001 when none can be made.
std::string NewModelTempFile();

// A new temporary file holding a copy of `source`; file errors propagate and
// leave no temporary file behind.
std::string CopyToNewModelTempFile(const std::string& source);

} // namespace nv
