#include "engine/model/ModelFiles.h"

#include "engine/core/AppException.h"
#include "engine/core/FileCleanup.h"
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
    FileCleanup name(NewModelTempFile());
    CopyFileContents(name.Path(), source);
    return name.Keep();
}

} // namespace nv
