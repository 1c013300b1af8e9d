#pragma once
// A text account of how every object class answers for every property id:
// whether it offers the id, which field (and kind) it shows for it, what
// SetProperties records and stores for a value of the id's type, and what a
// map of all ids at once records, in order. The account written before the
// classes were moved onto property tables is kept beside this file; the
// test compares against it.
#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/model/TvArc.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvCircle.h"
#include "engine/model/TvData.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvGraphic.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvImageField.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvList.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvPolygon.h"
#include "engine/model/TvText.h"
#include "engine/model/TvTextField.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nv::propdump {

inline std::vector<uint16_t> Ids()
{
    std::vector<uint16_t> ids;
    for (uint16_t i = 0; i <= 130; ++i) ids.push_back(i);
    for (uint16_t i = 500; i <= 525; ++i) ids.push_back(i);
    for (uint16_t i = 1000; i <= 1006; ++i) ids.push_back(i);
    return ids;
}

inline uint64_t Hash(const std::string& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

inline std::string Hex(const std::string& bytes)
{
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X", c);
        out += b;
    }
    return out;
}

// A value of the id's type; list cells and counts get values a list takes.
inline TvPropValue ValueFor(uint16_t id, int variant)
{
    if (id == 125) return TvPropValue::String(variant ? "1:0:cell" : "0:1:x");
    if (id == 123 || id == 124) return TvPropValue::Short(static_cast<int16_t>(3 + variant));
    switch (GetPropertyType(id)) {
    case 1: return TvPropValue::Short(static_cast<int16_t>(3 + variant));
    case 3:
    case 7: return TvPropValue::String(variant ? "name2" : "ab");
    case 5: return TvPropValue::Bytes("12345678");
    default: return TvPropValue::Long(7000 + id + variant);
    }
}

inline std::string Records(const TvChangeList& list)
{
    std::string out;
    for (const auto& c : list) {
        char b[64];
        std::snprintf(b, sizeof b, " [%u t%u ", unsigned(c->m_nPropId), unsigned(c->m_nType));
        out += b + Hex(c->Value()) + "]";
    }
    return out;
}

inline std::string Stored(const CObject& o)
{
    try {
        Archive ar;
        ar.WriteObject(o);
        char b[32];
        std::snprintf(b, sizeof b, "%016llX", static_cast<unsigned long long>(Hash(ar.Bytes())));
        return b;
    } catch (...) {
        return "throws";
    }
}

using Factory = std::function<std::unique_ptr<TvObject>()>;

inline std::string ReadAll(TvObject& o, const std::vector<uint16_t>& ids)
{
    std::string out;
    for (uint16_t id : ids) {
        void* a = nullptr;
        int32_t kind = 0;
        if (!o.GetPropertyAddress(id, a, kind) || !a) continue;
        char b[48];
        if (kind == 1) std::snprintf(b, sizeof b, " %u=%d", unsigned(id), int(*static_cast<int16_t*>(a)));
        else if (kind == 2) std::snprintf(b, sizeof b, " %u=%d", unsigned(id), int(*static_cast<int32_t*>(a)));
        else if (kind == 3) {
            out += " " + std::to_string(id) + "='" + *static_cast<std::string*>(a) + "'";
            continue;
        } else std::snprintf(b, sizeof b, " %u=?%d", unsigned(id), int(kind));
        out += b;
    }
    return out;
}

inline std::string DumpObject(const char* name, const Factory& make)
{
    const std::vector<uint16_t> ids = Ids();
    std::string out = std::string("== ") + name + "\n";
    {
        auto o = make();
        out += "initial" + ReadAll(*o, ids) + " stored " + Stored(*o) + "\n";
    }
    for (uint16_t id : ids) {
        auto o = make();
        std::string line;
        if (o->IsPropertySupported(id)) line += " offered";
        void* a = nullptr;
        int32_t kind = -1;
        const int32_t shown = o->GetPropertyAddress(id, a, kind);
        if (shown || a || kind) {
            line += " shows kind " + std::to_string(kind) + (shown ? "" : " (0)");
            // Which field: write a mark through it and see what changed.
            if (kind == 1) *static_cast<int16_t*>(a) = 0x5A5;
            else if (kind == 2) *static_cast<int32_t*>(a) = 0x5A5A5A5;
            else if (kind == 3) *static_cast<std::string*>(a) = "MARK";
            line += " ->" + ReadAll(*o, ids) + " stored " + Stored(*o);
        }
        for (int recordOld = 0; recordOld < 2; ++recordOld) {
            auto p = make();
            TvChangeList list;
            list.m_bRecordOld = recordOld != 0;
            p->SetProperties(TvPropertyMap(id, ValueFor(id, 0)), &list);
            const std::string after = Stored(*p);
            auto fresh = make();
            if (!list.empty() || after != Stored(*fresh))
                line += std::string(recordOld ? " old" : " new") + Records(list) + " stored " + after;
            if (recordOld == 0 && after != Stored(*fresh)) line += " reads" + ReadAll(*p, ids);
        }
        if (!line.empty()) out += std::to_string(id) + ":" + line + "\n";
    }
    for (int variant = 0; variant < 2; ++variant) {
        auto o = make();
        TvPropertyMap map;
        for (uint16_t id : ids)
            if (id != 0 && id != 19) map.SetAt(id, ValueFor(id, variant));
        TvChangeList list;
        list.m_bRecordOld = false;
        o->SetProperties(map, &list);
        out += "all" + std::to_string(variant) + Records(list) + " stored " + Stored(*o) + " reads" + ReadAll(*o, ids) +
               "\n";
    }
    return out;
}

template <class T>
std::string DumpPlain(const char* name)
{
    std::string out = std::string("== ") + name + "\n";
    for (int variant = 0; variant < 2; ++variant) {
        T o;
        TvPropertyMap map;
        for (uint16_t id : Ids()) map.SetAt(id, ValueFor(id, variant));
        TvChangeList list;
        list.m_bRecordOld = false;
        o.SetProperties(map, &list);
        out += "all" + std::to_string(variant) + Records(list) + "\n";
    }
    return out;
}

inline std::string DumpAll()
{
    std::string out;
    out += DumpObject("TvObject", [] { return std::make_unique<TvObject>(); });
    out += DumpObject("TvGraphic", [] { return std::make_unique<TvGraphic>(); });
    out += DumpObject("TvText", [] { return std::make_unique<TvText>(Rect{100, 200, 5000, 3000}, "text"); });
    out += DumpObject("TvData", [] { return std::make_unique<TvData>(Rect{100, 200, 5000, 3000}, "data"); });
    out += DumpObject("TvTextField", [] { return std::make_unique<TvTextField>(Rect{100, 200, 5000, 3000}, "tf"); });
    out += DumpObject("TvList", [] {
        TvText templ(Rect{0, 0, 100, 100});
        return std::make_unique<TvList>(Rect{100, 200, 9000, 6000}, int16_t(2), int16_t(2), templ);
    });
    out += DumpObject("TvLine", [] { return std::make_unique<TvLine>(); });
    out += DumpObject("TvBox", [] { return std::make_unique<TvBox>(); });
    out += DumpObject("TvCircle", [] { return std::make_unique<TvCircle>(); });
    out += DumpObject("TvArc", [] { return std::make_unique<TvArc>(); });
    out += DumpObject("TvPolygon", [] { return std::make_unique<TvPolygon>(); });
    out += DumpObject("TvImage", [] { return std::make_unique<TvImage>(); });
    out += DumpObject("TvImageField", [] { return std::make_unique<TvImageField>(); });
    out += DumpObject("TvOle", [] { return std::make_unique<TvOle>(); });
    out += DumpObject("TvBarcode", [] { return std::make_unique<TvBarcode>(); });
    out += DumpPlain<TvLayer>("TvLayer");
    out += DumpPlain<TvFormInfo>("TvFormInfo");
    return out;
}

} // namespace nv::propdump
