#include "engine/model/ModelFiles.h"

#include "engine/core/AppException.h"
#include "engine/core/PathUtil.h"
#include "engine/core/TempFileManager.h"

namespace nv {

std::string NewModelTempFile()
{
    std::string name;
    if (!TempFileManager::Instance().CreateTempName(name) || name.empty())
        ThrowAppException(IDS_WORK_FILE_FAILED);
    return name;
}

std::string CopyToNewModelTempFile(const std::string& source)
{
    std::string name = NewModelTempFile();
    try {
        CopyFileContents(name, source);
    } catch (...) {
        TempFileManager::Instance().RemoveFile(name);
        throw;
    }
    return name;
}

} // namespace nv
