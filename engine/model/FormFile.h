#pragma once
// Report form files: a compound file whose "Contents" stream holds the form
// archive, with the storages of OLE items that keep theirs in the container
// ("Embedding N"). A file without the compound-file signature is the plain
// archive.
#include "engine/core/Exceptions.h"
#include "engine/model/CompoundFile.h"
#include "engine/model/TvFedObject.h"

#include <memory>
#include <string>
#include <string_view>

namespace nv {

// A form file that is no form: not a compound file libgsf reads, no contents
// stream, or no form in it. Damaged archives throw CArchiveException.
// A form file that holds no loadable form: the message says so in the
// user's words, the detail (for the log) what the reader found.
class FormFileException : public CException {
public:
    FormFileException(const char* utf8Message, std::string detail)
        : m_strMessage(utf8Message), m_strReason(std::move(detail)) {}
    std::string GetErrorMessage() const override;
    const std::string& Detail() const { return m_strReason; }
    std::string LogDetail() const override { return m_strReason; }
    std::string m_strMessage;
    std::string m_strReason;
};

inline constexpr std::string_view kFormContentsStream = "Contents";

// Reads a whole form file held in memory. OLE items stored without their
// storage take the root's "Embedding N" storage, rebuilt as a compound file
// of their own; without one they keep none and draw nothing.
std::unique_ptr<TvFedObject> LoadFormFile(std::string_view bytes, const CompoundLimits& limits = {});

struct FormFileOptions {
    std::string contentsName = std::string(kFormContentsStream);
    // OLE items' storages go into "Embedding N" storages of the root and the
    // archive keeps a length of 0, as the form designer writes them.
    bool itemsInContainer = false;
    // Write the plain archive instead of a compound file.
    bool plainArchive = false;
};

// The compound-file tree of a form (its contents stream and, with
// itemsInContainer, the items' storages); more storages may be added before
// WriteCompoundFile.
CompoundEntry MakeFormFileTree(const TvFedObject& form, const FormFileOptions& options = {});
// The bytes of a form file.
std::string StoreFormFile(const TvFedObject& form, const FormFileOptions& options = {});

} // namespace nv
