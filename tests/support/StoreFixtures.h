#pragma once
// Forms, page changes and a fixture shared by the document store tests.
#include "engine/core/AppException.h"
#include "engine/core/Archive.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvFormInfo.h"
#include "engine/store/TvDocStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace nvtest::store {

using namespace nv;
using nvtest::TempDir;

inline std::string U32(uint32_t v)
{
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
inline std::string U16(uint16_t v)
{
    return std::string{char(v), char(v >> 8)};
}
inline std::string Str(const std::string& s)
{
    return U32(uint32_t(s.size())) + s;
}

inline std::unique_ptr<TvFedObject> MakeForm(const std::string& name)
{
    RegisterModelClasses();
    auto f = std::make_unique<TvFedObject>();
    f->EnsureFormInfo().m_strName = name;
    f->EnsureFormInfo().m_strCreateTime = "2026/01/01 00:00:00";
    f->m_fonts.push_back(std::make_unique<TvFontDesc>(-1, "IPAGothic", 128, 49, 1000, 0));
    for (int32_t layerId : {1, 2}) {
        auto layer = std::make_unique<TvLayer>(layerId);
        layer->m_strName = "L" + std::to_string(layerId);
        f->m_layers.push_back(std::move(layer));
    }
    for (int i = 0; i < 3; ++i) {
        auto box = std::make_unique<TvBox>();
        box->m_strName = "Box" + std::to_string(i + 1);
        box->m_nX = 100 * i;
        box->m_nWidth = 50;
        box->m_nHeight = 60;
        f->AddObject(std::move(box), f->m_layers[0].get(), true);
    }
    f->RebuildIdMap(true);
    return f;
}

inline void Change(TvEntryMap& map, uint32_t objectId, std::unique_ptr<CChangeData> record)
{
    TvObjectChanges c(objectId);
    c.m_changes.Add(std::move(record));
    map.MergeChanges(c);
}

inline uint32_t AppId(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const CAppException& e) {
        return e.MessageId();
    } catch (const CException&) {
        return 1; // archive or file error
    }
    return 0;
}

struct StoreTest : ::testing::Test {
    // Forms are re-stamped when stored: a fixed clock keeps the document's
    // bytes and the ones built here from falling on two sides of a second.
    void SetUp() override
    {
        RegisterModelClasses();
        SetFormClock([] { return LocalTime{2026, 12, 9, 4, 50, 55}; });
    }
    void TearDown() override { SetFormClock(nullptr); }
    TempDir dir;
};


} // namespace nvtest::store
