#include "engine/store/TvPageData.h"

#include "engine/core/PropertyIds.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace nv {

namespace {

struct OrderItem {
    int32_t value;
    const TvChangeEntry* entry;
};

void SortByValue(std::vector<OrderItem>& items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const OrderItem& a, const OrderItem& b) { return a.value < b.value; });
}

// Moves element `i` to the end (toEnd) or the start.
template <class T>
void MoveTo(std::vector<std::unique_ptr<T>>& list, size_t i, bool toEnd)
{
    auto item = std::move(list[i]);
    list.erase(list.begin() + static_cast<ptrdiff_t>(i));
    if (toEnd)
        list.push_back(std::move(item));
    else
        list.insert(list.begin(), std::move(item));
}

} // namespace

void TvPageData::Clear(bool all)
{
    m_extraObjects.RemoveAll();
    if (all) {
        m_formEntries.RemoveAll();
        m_printerEntries.RemoveAll();
        m_layerEntries.RemoveAll();
        m_objectEntries.RemoveAll();
        m_pForm.reset();
    }
}

void TvPageData::Apply()
{
    ApplyFormChanges();
    ApplyLayerChanges();
    ApplyObjectChanges();
}

void TvPageData::ApplyFormChanges()
{
    if (!m_pForm || m_formEntries.empty()) return;
    TvPropertyMap map;
    m_formEntries.ForEach([&](const TvEntryKey&, TvChangeEntry& e) { AddChangeToPropertyMap(e, map); });
    m_pForm->EnsureFormInfo().SetProperties(map, nullptr);
}

void TvPageData::ApplyLayerChanges()
{
    if (!m_pForm) return;
    std::vector<OrderItem> order;
    std::map<int32_t, TvPropertyMap> maps;
    m_layerEntries.ForEach([&](const TvEntryKey&, TvChangeEntry& e) {
        if (!e.m_pData) return;
        const int32_t id = e.m_pData->m_nPropId;
        if (id == orderLayerToFront || id == orderLayerToBack)
            order.push_back({e.m_pData->GetLong(), &e});
        else
            AddChangeToPropertyMap(e, maps[static_cast<int32_t>(e.m_nObjectId)]);
    });
    for (auto& layer : m_pForm->m_layers) {
        auto it = maps.find(layer->m_nLayerId);
        if (it != maps.end()) layer->SetProperties(it->second, nullptr);
    }
    SortByValue(order);
    auto& layers = m_pForm->m_layers;
    for (const OrderItem& item : order) {
        const int32_t layerId = static_cast<int32_t>(item.entry->m_nObjectId);
        auto it = std::find_if(layers.begin(), layers.end(), [&](const auto& l) { return l->m_nLayerId == layerId; });
        if (it == layers.end()) continue;
        const size_t pos = static_cast<size_t>(it - layers.begin());
        if (item.entry->m_pData->m_nPropId == orderLayerToFront) {
            if (pos + 1 != layers.size()) MoveTo(layers, pos, true);
        } else if (pos != 0) {
            MoveTo(layers, pos, false);
        }
    }
}

void TvPageData::ApplyObjectChanges()
{
    if (!m_pForm) return;
    std::vector<OrderItem> order;
    std::map<uint32_t, TvPropertyMap> maps;
    m_objectEntries.ForEach([&](const TvEntryKey&, TvChangeEntry& e) {
        if (!e.m_pData) return;
        const int32_t id = e.m_pData->m_nPropId;
        if (id == orderObjectToFront || id == orderObjectToBack) {
            order.push_back({e.m_pData->GetLong(), &e});
            return;
        }
        AddChangeToPropertyMap(e, maps[e.m_nObjectId]);
        if (id == propCellText) {
            if (TvObject* obj = m_pForm->FindObjectById(e.m_nObjectId))
                obj->SetProperties(TvPropertyMap(propCellText, TvPropValue::String(e.m_pData->GetString())), nullptr);
        }
    });
    for (auto& [id, map] : maps) {
        if (map.empty()) continue;
        if (TvObject* obj = m_pForm->FindObjectById(id)) obj->SetProperties(map, nullptr);
    }
    if (order.empty()) return;
    SortByValue(order);
    for (const OrderItem& item : order) {
        TvObject* obj = m_pForm->FindObjectById(item.entry->m_nObjectId);
        if (!obj) continue;
        TvLayer* layer = m_pForm->FindLayerOf(obj);
        if (!layer) continue;
        auto& list = layer->m_objects;
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& o) { return o.get() == obj; });
        if (it == list.end()) continue;
        const size_t pos = static_cast<size_t>(it - list.begin());
        if (item.entry->m_pData->m_nPropId == orderObjectToFront) {
            if (pos + 1 != list.size()) MoveTo(list, pos, true);
        } else if (pos != 0) {
            MoveTo(list, pos, false);
        }
    }
}

} // namespace nv
