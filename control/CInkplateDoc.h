#pragma once
// The form document of one opened form: the form file is read whole into
// memory, so the file is never locked, changed or copied.
#include "engine/model/TvFedObject.h"

#include <memory>
#include <string>

namespace nv {

class CInkplateDoc {
public:
    // Reads and loads the form file at a file-system path. False when it
    // cannot be read or holds no form; the reason is then in Error() (CP932
    // engine text where the engine gave one).
    bool OnOpenDocument(const std::string& path);
    // Loads a form file already in memory; the same results.
    bool LoadFromBytes(std::string_view bytes);

    TvFedObject* GetRoot() const { return m_pRoot.get(); }
    const std::string& Error() const { return m_strError; }

private:
    std::unique_ptr<TvFedObject> m_pRoot;
    std::string m_strError;
};

} // namespace nv
