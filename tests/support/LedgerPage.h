#pragma once
// A printed ledger page as the renderer's tests and benchmarks draw it: an
// A4 form of 40 rows x 6 columns of Japanese text in cells (amounts to the
// right), with the 41 + 7 ruled lines of its grid.
#include <memory>
#include <string>

#include "engine/model/TvFedObject.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvText.h"
#include "platform/core/Cp932.h"

namespace nvtest {

struct LedgerPageShape {
    static constexpr int kRows = 40;
    static constexpr int kColumns = 6;
    static constexpr int32_t kMm = 56693; // document units per millimetre, near enough
};

inline std::unique_ptr<nv::TvFedObject> LedgerPageForm()
{
    using nv::Rect;
    constexpr int32_t kMm = LedgerPageShape::kMm;
    constexpr int kRows = LedgerPageShape::kRows, kColumns = LedgerPageShape::kColumns;
    auto form = std::make_unique<nv::TvFedObject>();
    form->EnsureFormInfo();
    auto layer = std::make_unique<nv::TvLayer>(1);
    const int32_t left = 15 * kMm, top = 20 * kMm, rowH = 6 * kMm;
    const int32_t widths[kColumns] = {20 * kMm, 50 * kMm, 25 * kMm, 25 * kMm, 30 * kMm, 30 * kMm};
    const char* samples[kColumns] = {"令和６年", "仕入れ商品の品名サンプル", "1,234", "5,678", "支払済み", "差引残高"};
    int32_t right = left;
    for (int32_t w : widths) right += w;
    for (int r = 0; r < kRows; ++r) {
        int32_t x = left;
        for (int c = 0; c < kColumns; ++c) {
            auto t = std::make_unique<nv::TvText>(Rect{x, top + r * rowH, x + widths[c], top + (r + 1) * rowH},
                                                  *nv::Utf8ToCp932(samples[c]));
            t->m_nZenHeight = t->m_nHanHeight = 1000;
            t->m_nMarginLeft = t->m_nMarginRight = kMm / 2;
            t->m_nAlign = c >= 2 && c <= 3 ? 2 : 1;
            layer->m_objects.push_back(std::move(t));
            x += widths[c];
        }
    }
    for (int r = 0; r <= kRows; ++r)
        layer->m_objects.push_back(std::make_unique<nv::TvLine>(Rect{left, top + r * rowH, right, top + r * rowH}));
    int32_t x = left;
    for (int c = 0; c <= kColumns; ++c) {
        layer->m_objects.push_back(std::make_unique<nv::TvLine>(Rect{x, top, x, top + kRows * rowH}));
        if (c < kColumns) x += widths[c];
    }
    form->m_layers.push_back(std::move(layer));
    return form;
}

} // namespace nvtest
