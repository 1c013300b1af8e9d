#pragma once
// The font faces the control offers: the Windows faces that forms name
// (their table), then the families installed here. Ids run 0, 1, 2, ... in
// that order; names are CP932 as the model holds them.
#include "engine/model/TvFontDesc.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class FontFaceList {
public:
    // Clears the list and fills it again. Installed families are listed only
    // when a Qt application runs; a family CP932 cannot name is skipped.
    void Rebuild();
    void Clear();

    // The entry of a face (CP932, exact bytes), or null.
    const TvFontDesc* Find(const std::string& faceName) const;
    size_t size() const { return m_entries.size(); }
    const std::vector<std::unique_ptr<TvFontDesc>>& Entries() const { return m_entries; }

    // Adds a face unless it is listed; returns its entry.
    const TvFontDesc& Add(const std::string& faceName);

private:
    std::vector<std::unique_ptr<TvFontDesc>> m_entries;
    std::map<std::string, TvFontDesc*> m_byName;
    int32_t m_nLastId = -1;
};

} // namespace nv
