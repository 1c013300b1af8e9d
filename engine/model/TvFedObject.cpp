#include "engine/model/TvFedObject.h"

#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/EngineMath.h"
#include "engine/core/StoredNames.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvList.h"

#include <algorithm>
#include <map>

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(TvFedObject, kClassTvFedObject, CObject, 4, true)

void TvFedObject::Serialize(Archive& ar, uint32_t schema)
{
    if (ar.IsStoring()) {
        ar.WriteString(kFormVersionString);
        // A form is never stored without its information.
        EnsureFormInfo();
        ar.WriteObject(m_pFormInfo.get());
        ar.WriteList(m_fonts);
        ar.WriteList(m_layers);
        ar << m_nFlags;
        return;
    }
    m_nFlags = 1;
    m_pFormInfo.reset();
    m_fonts.clear();
    m_layers.clear();
    m_idMap.RemoveAll();
    if (schema == 0) {
        EnsureFormInfo();
        return;
    }
    const std::string version = ar.ReadString();
    if (version != kFormVersionString) ar.ThrowError(CArchiveException::badIndex);
    m_pFormInfo = ar.ReadObject<TvFormInfo>(false);
    EnsureFormInfo();
    ar.ReadList(m_fonts);
    ar.ReadList(m_layers);
    if (schema >= 2) ar >> m_nFlags;
    LoadFixUp(schema, (ar.LoadOptions() & kLoadKeepDuplicateIds) != 0);
}

void TvFedObject::LoadFixUp(uint32_t schema, bool keepDuplicateIds)
{
    std::vector<TvObject*> duplicates;
    for (auto& layer : m_layers) {
        uint32_t count = 0;
        for (auto& obj : layer->m_objects) {
            if (schema < 4) obj->m_nObjectId = count;
            ++count;
            if (m_idMap.Contains(obj->m_nObjectId))
                duplicates.push_back(obj.get());
            else
                m_idMap.SetAt(obj->m_nObjectId, obj.get());
        }
    }
    if (keepDuplicateIds) return;
    for (TvObject* obj : duplicates) AssignObjectId(*obj, true);
}

std::unique_ptr<TvFedObject> TvFedObject::Clone() const
{
    auto f = std::make_unique<TvFedObject>();
    f->CopyFrom(*this);
    return f;
}

void TvFedObject::ForEachObject(const std::function<void(const TvObject&)>& fn) const
{
    for (const auto& l : m_layers)
        for (const auto& o : l->m_objects) fn(*o);
}

const TvFontDesc* TvFedObject::FindFont(int32_t fontId) const
{
    for (const auto& f : m_fonts)
        if (f->m_nFontId == fontId) return f.get();
    return nullptr;
}

void TvFedObject::GetFontFace(std::string& out, int32_t fontId) const
{
    const TvFontDesc* f = FindFont(fontId);
    out = f ? f->m_strFaceName : std::string();
}

int TvFedObject::IsNameFree(const std::string& name) const
{
    bool taken = false;
    ForEachObject([&](const TvObject& o) {
        if (o.m_strName == name) taken = true;
    });
    return taken ? 0 : 1;
}

bool TvFedObject::CheckUniqueName(TvObject& obj, bool repair)
{
    bool unique = true;
    ForEachObject([&](const TvObject& o) {
        if (&o != &obj && o.m_strName == obj.m_strName) unique = false;
    });
    if (!unique && repair) obj.GetTypeName(*this);
    CheckUniqueFieldIndex(obj, repair);
    return unique;
}

bool TvFedObject::CheckUniqueFieldIndex(TvObject& obj, bool repair)
{
    if (!obj.IsTextObject()) return true;
    bool unique = true;
    const int32_t index = obj.GetFieldIndex();
    ForEachObject([&](const TvObject& o) {
        if (&o != &obj && o.IsTextObject() && o.GetFieldIndex() == index) unique = false;
    });
    if (!unique && repair) AssignNextFieldIndex(obj);
    return unique;
}

void TvFedObject::AssignNextFieldIndex(TvObject& obj)
{
    int32_t highest = -1;
    ForEachObject([&](const TvObject& o) {
        if (&o != &obj && o.IsTextObject()) highest = std::max(highest, o.GetFieldIndex());
    });
    obj.SetFieldIndex(highest == INT32_MAX ? highest : highest + 1);
}

TvObject* TvFedObject::AddObject(std::unique_ptr<TvObject> obj, TvLayer* layer, bool append)
{
    if (!obj) return nullptr;
    if (!layer) {
        if (m_layers.empty()) return nullptr;
        layer = m_layers.front().get();
    }
    // A list lays out its cells in its box before it joins the form.
    if (obj->GetType() == objList)
        if (auto* list = DynamicDowncast<TvList>(obj.get())) list->Layout();
    CheckUniqueName(*obj, true);
    TvObject* raw = obj.get();
    auto& list = layer->m_objects;
    if (append) {
        list.push_back(std::move(obj));
        AssignObjectId(*raw, true);
        layer->UpdateDrawOrder(true);
    } else {
        auto at = std::find_if(list.begin(), list.end(), [&](const std::unique_ptr<TvObject>& o) {
            return o->m_nDrawOrder >= raw->m_nDrawOrder;
        });
        list.insert(at, std::move(obj));
        AssignObjectId(*raw, false);
        layer->UpdateDrawOrder(false);
    }
    return raw;
}

void TvFedObject::AssignObjectId(TvObject& obj, bool newId)
{
    uint32_t id;
    if (m_idMap.empty()) {
        id = 0;
    } else if (!newId && !m_idMap.Contains(obj.m_nObjectId)) {
        id = obj.m_nObjectId;
    } else {
        id = static_cast<uint32_t>(m_idMap.size());
        if (m_idMap.Contains(id)) {
            id = 0;
            while (m_idMap.Contains(id)) ++id;
        }
    }
    obj.m_nObjectId = id;
    m_idMap.SetAt(id, &obj);
}

void TvFedObject::RemoveObject(TvObject* obj, TvLayer* layer, bool renumber)
{
    if (!obj) return;
    if (!layer) layer = FindLayerOf(obj);
    if (!layer) return;
    auto& list = layer->m_objects;
    auto it = std::find_if(list.begin(), list.end(), [&](const std::unique_ptr<TvObject>& o) { return o.get() == obj; });
    if (it == list.end()) return;
    const bool wasLast = std::next(it) == list.end();
    std::unique_ptr<TvObject> owned = std::move(*it);
    list.erase(it);
    if (renumber && !wasLast) layer->UpdateDrawOrder(false);
    if (TvObject** mapped = m_idMap.Lookup(owned->m_nObjectId); mapped && *mapped == owned.get())
        m_idMap.RemoveKey(owned->m_nObjectId);
}

void TvFedObject::RebuildIdMap(bool renumber)
{
    m_idMap.RemoveAll();
    uint32_t next = 0;
    std::vector<TvObject*> duplicates;
    for (auto& l : m_layers) {
        for (auto& o : l->m_objects) {
            if (renumber) o->m_nObjectId = next++;
            if (m_idMap.Contains(o->m_nObjectId))
                duplicates.push_back(o.get());
            else
                m_idMap.SetAt(o->m_nObjectId, o.get());
        }
    }
    for (TvObject* o : duplicates) AssignObjectId(*o, true);
}

void TvFedObject::CompactFieldIndexes()
{
    std::map<int32_t, TvObject*> byIndex;
    for (auto& l : m_layers) {
        for (auto& o : l->m_objects) {
            if (!o->IsTextObject()) continue;
            if (byIndex.count(o->GetFieldIndex())) AssignNextFieldIndex(*o);
            byIndex[o->GetFieldIndex()] = o.get();
        }
    }
    int32_t n = 0;
    for (auto& [index, o] : byIndex) o->SetFieldIndex(n++);
}

void TvFedObject::SetObjectsFlag(int32_t value)
{
    for (auto& l : m_layers)
        for (auto& o : l->m_objects) o->SetFlag(value);
}

void TvFedObject::CollectFonts(std::vector<const TvFontDesc*>& out, const std::vector<const TvObject*>& objects) const
{
    const ClassInfo* text = ClassRegistry::Instance().Find(kClassTvText);
    for (const TvObject* o : objects) {
        if (!o || !text || !o->IsKindOf(*text)) continue;
        // Full-width and half-width font ids.
        for (uint16_t prop : {uint16_t{propZenFont}, uint16_t{propHanFont}}) {
            void* addr = nullptr;
            int32_t kind = 0;
            if (!const_cast<TvObject*>(o)->GetPropertyAddress(prop, addr, kind) || !addr) continue;
            const int32_t id = kind == addrShort ? *static_cast<int16_t*>(addr) : *static_cast<int32_t*>(addr);
            const TvFontDesc* f = FindFont(id);
            if (f && std::find(out.begin(), out.end(), f) == out.end()) out.push_back(f);
        }
    }
}

void TvFedObject::MakeUniqueLayerName(std::string& stem) const
{
    int64_t n = 0;
    for (const auto& l : m_layers) {
        const std::string& name = l->m_strName;
        if (name.size() < stem.size() || name.compare(0, stem.size(), stem) != 0) continue;
        n = std::max(n, ParseLeadingLong(std::string_view(name).substr(stem.size())));
    }
    stem += std::to_string(n + 1);
}

void TvFedObject::CopyFrom(const TvFedObject& other)
{
    if (&other == this) return;
    m_nReserved = other.m_nReserved;
    m_nFlags = other.m_nFlags;
    if (other.m_pFormInfo) {
        if (m_pFormInfo)
            m_pFormInfo->CopyFrom(*other.m_pFormInfo);
        else
            m_pFormInfo = other.m_pFormInfo->Clone();
    }
    for (const auto& l : other.m_layers) m_layers.push_back(l->Clone());
    for (const auto& f : other.m_fonts) m_fonts.push_back(f->Clone());
    RebuildIdMap(false);
}

TvObject* TvFedObject::FindObjectById(uint32_t id) const
{
    TvObject* const* o = m_idMap.Lookup(id);
    return o ? *o : nullptr;
}

TvLayer* TvFedObject::FindLayerOf(const TvObject* obj) const
{
    for (const auto& l : m_layers)
        for (const auto& o : l->m_objects)
            if (o.get() == obj) return l.get();
    return nullptr;
}

TvFormInfo& TvFedObject::EnsureFormInfo()
{
    if (!m_pFormInfo) m_pFormInfo = std::make_unique<TvFormInfo>();
    return *m_pFormInfo;
}

std::unique_ptr<TvFedObject> LoadFormArchive(std::string_view bytes, uint32_t loadOptions)
{
    RegisterModelClasses();
    Archive ar(bytes);
    ar.SetLoadOptions(loadOptions);
    return ar.ReadObject<TvFedObject>(true);
}

std::string StoreFormArchive(const TvFedObject& form)
{
    Archive ar;
    ar.WriteObject(&form);
    return ar.TakeBytes();
}

} // namespace nv
