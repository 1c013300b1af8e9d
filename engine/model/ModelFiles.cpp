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

HeldWorkFile::HeldWorkFile(const HeldWorkFile& other)
{
    if (!other.name_.empty() && TempFileManager::Instance().Retain(other.name_)) name_ = other.name_;
}

HeldWorkFile& HeldWorkFile::operator=(const HeldWorkFile& other)
{
    if (this != &other) {
        HeldWorkFile copy(other);
        *this = std::move(copy);
    }
    return *this;
}

HeldWorkFile& HeldWorkFile::operator=(HeldWorkFile&& other) noexcept
{
    if (this != &other) {
        Release();
        name_ = std::move(other.name_);
        other.name_.clear();
    }
    return *this;
}

void HeldWorkFile::Release() noexcept
{
    if (name_.empty()) return;
    TempFileManager::Instance().RemoveFile(name_);
    name_.clear();
}

} // namespace nv
