#pragma once
// The value set of one page of a report document: what the page changed on
// its form, and objects that exist only on this page.
#include "engine/core/BucketMap.h"
#include "engine/core/TvObject.h"
#include "engine/model/TvFedObject.h"
#include "engine/store/TvChangeEntry.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace nv {

using TvObjectList = std::vector<std::unique_ptr<TvObject>>;

class TvPageData {
public:
    TvPageData() = default;
    virtual ~TvPageData() { Clear(true); }
    TvPageData(const TvPageData&) = delete;
    TvPageData& operator=(const TvPageData&) = delete;

    // Always drops the extra objects; with `all` also every entry and the
    // form copy.
    void Clear(bool all);
    // Applies the entries to the form copy: form, then layers, then objects.
    void Apply();

    void ApplyFormChanges();
    void ApplyLayerChanges();
    void ApplyObjectChanges();

    TvEntryMap m_formEntries;    // page-record type 0
    TvEntryMap m_printerEntries; // type 1, ids 1500-1513
    TvEntryMap m_layerEntries;   // type 2, object id = layer id
    TvEntryMap m_objectEntries;  // type 3
    uint32_t m_nFormId = 0;
    std::unique_ptr<TvFedObject> m_pForm;
    BucketMap<int32_t, TvObjectList> m_extraObjects; // by layer id
};

} // namespace nv
