#pragma once
// The root of one report form: its information, fonts, layers (with their
// objects) and the index of every object by object id.
#include "engine/core/BucketMap.h"
#include "engine/core/CObject.h"
#include "engine/core/TvObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class TvFedObject : public CObject, public TvObjectSource {
    NV_DECLARE_SERIAL(TvFedObject)
public:
    TvFedObject() = default;
    ~TvFedObject() override = default;

    // Loading checks the form version string (badIndex when it differs),
    // gives a form without information a default one, renumbers ids of old
    // forms and builds the id map.
    void Serialize(Archive& ar, uint32_t schema) override;
    virtual std::unique_ptr<TvFedObject> Clone() const;

    // Every object of every layer, in layer and list order.
    void ForEachObject(const std::function<void(const TvObject&)>& fn) const override;
    template <class F>
    void ForEachObjectMutable(F fn)
    {
        for (auto& l : m_layers)
            for (auto& o : l->m_objects) fn(*o, *l);
    }

    const TvFontDesc* FindFont(int32_t fontId) const;
    void GetFontFace(std::string& out, int32_t fontId) const;

    int IsNameFree(const std::string& name) const;
    bool CheckUniqueName(TvObject& obj, bool repair);
    bool CheckUniqueFieldIndex(TvObject& obj, bool repair);
    void AssignNextFieldIndex(TvObject& obj);

    // Adds an object to a layer (the first layer when null) and returns it;
    // null when the form has no layer.
    TvObject* AddObject(std::unique_ptr<TvObject> obj, TvLayer* layer, bool append);
    void AssignObjectId(TvObject& obj, bool newId);
    // Removes and deletes the object.
    void RemoveObject(TvObject* obj, TvLayer* layer, bool renumber);
    // Re-enters every object; with `renumber` the ids become 0, 1, 2, ...
    // An object whose id another object already holds gets a free id, so
    // that no object is lost from the map.
    void RebuildIdMap(bool renumber);
    void CompactFieldIndexes();
    void SetObjectsFlag(int32_t value);
    // The entries of the fonts the text objects among `objects` use.
    void CollectFonts(std::vector<const TvFontDesc*>& out, const std::vector<const TvObject*>& objects) const;
    // stem -> stem + (largest number after the stem among layer names + 1)
    void MakeUniqueLayerName(std::string& stem) const;
    // Appends copies of the other form's layers and fonts, copies its
    // information, flags and reserved value.
    void CopyFrom(const TvFedObject& other);

    TvObject* FindObjectById(uint32_t id) const;
    // Every object by its id.
    const BucketMap<uint32_t, TvObject*>& IdMap() const { return m_idMap; }
    TvLayer* FindLayerOf(const TvObject* obj) const;
    // The form information, never null after loading or EnsureFormInfo.
    TvFormInfo& EnsureFormInfo();

    // Load options (Archive::SetLoadOptions): objects keep the ids stored,
    // duplicates and all, instead of the duplicates getting free ones; for
    // looking at a damaged form as it is.
    static constexpr uint32_t kLoadKeepDuplicateIds = 1;

    std::unique_ptr<TvFormInfo> m_pFormInfo;
    std::vector<std::unique_ptr<TvFontDesc>> m_fonts;
    std::vector<std::unique_ptr<TvLayer>> m_layers;
    int32_t m_nReserved = 0;
    int32_t m_nFlags = 0;

private:
    BucketMap<uint32_t, TvObject*> m_idMap;
    void LoadFixUp(uint32_t schema, bool keepDuplicateIds);
};

// Reads a whole form from its archive bytes (registers the model classes
// first), with the form's load options. Throws CArchiveException on a
// damaged form.
std::unique_ptr<TvFedObject> LoadFormArchive(std::string_view bytes, uint32_t loadOptions = 0);
// The archive bytes of a form (WriteObject of the root).
std::string StoreFormArchive(const TvFedObject& form);

} // namespace nv
