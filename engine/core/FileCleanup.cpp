#include "engine/core/FileCleanup.h"

#include "engine/core/TempFileManager.h"

#include <cstdio>

namespace nv {

FileCleanup::~FileCleanup()
{
    if (path_.empty()) return;
    if (kind_ == temporaryFile) {
        TempFileManager::Instance().RemoveFile(path_);
    } else {
        std::remove(path_.c_str());
    }
}

} // namespace nv
