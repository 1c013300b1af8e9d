#pragma once
// A form holding every object type, for rendering tests.
#include "support/TestApp.h"
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/TvArc.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvCircle.h"
#include "engine/model/TvData.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvImageField.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvList.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvPolygon.h"
#include "engine/model/TvText.h"
#include "engine/model/TvTextField.h"
#include "engine/core/ChangeData.h"
#include "engine/store/TvDocStore.h"
#include "platform/core/Cp932.h"
#include "support/TempDir.h"

namespace nv::testcard {

constexpr int32_t kMm = 56693;

inline void EnsureApp() { nvtest::EnsureGuiApp(); }

inline std::string Sj(const char* utf8) { return *Utf8ToCp932(utf8); }

// A 24-bit BMP of w x h with a colour ramp.
inline std::string RampBmp(int w, int h)
{
    int row = (w * 3 + 3) & ~3;
    uint32_t size = 54 + uint32_t(row * h);
    std::string b(size, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            size_t at = 54 + size_t(y) * size_t(row) + size_t(x) * 3;
            b[at] = char(255 * x / std::max(1, w - 1)); // blue
            b[at + 1] = char(255 * y / std::max(1, h - 1));
            b[at + 2] = char(128);
        }
    return b;
}

template <class T>
T* Add(TvLayer& layer, std::unique_ptr<T> obj)
{
    T* raw = obj.get();
    layer.m_objects.push_back(std::move(obj));
    return raw;
}

inline void TextSize(TvText& t, int32_t centiPoints)
{
    t.m_nZenHeight = centiPoints;
    t.m_nHanHeight = centiPoints;
}

// An A6 card (105 x 148 mm). Data and text fields are named "data" and
// "field"; `picturePath` is a BMP file for the picture objects.
inline std::unique_ptr<TvFedObject> MakeTestCard(const std::string& picturePath)
{
    auto form = std::make_unique<TvFedObject>();
    form->EnsureFormInfo().m_strKinsoku = Sj("。、）」");
    form->m_fonts.push_back(std::make_unique<TvFontDesc>(1, Sj("ＭＳ ゴシック"), 128, 0x31, 0, 0));
    form->m_fonts.push_back(std::make_unique<TvFontDesc>(2, "Arial", 0, 0x22, 0, 0));
    auto back = std::make_unique<TvLayer>(1);
    back->m_strName = "back";
    auto front = std::make_unique<TvLayer>(2);
    front->m_strName = "front";

    auto frame = std::make_unique<TvBox>(Rect{3 * kMm, 3 * kMm, 102 * kMm, 145 * kMm}, 0, 1, nullptr);
    frame->m_nLineWidth = kMm / 2;
    Add(*back, std::move(frame));
    auto hatch = std::make_unique<TvBox>(Rect{6 * kMm, 100 * kMm, 50 * kMm, 120 * kMm}, 3 * kMm, 1, nullptr);
    hatch->m_nFillStyle = 12; // cross hatch
    hatch->m_crFillColor = 0x804000;
    Add(*back, std::move(hatch));
    auto shade = std::make_unique<TvBox>(Rect{55 * kMm, 100 * kMm, 99 * kMm, 120 * kMm}, 0, 0, nullptr);
    shade->m_nFillStyle = 4; // a grey pattern
    shade->m_crFillColor = 0x000000;
    shade->m_bTransparent = 0;
    shade->m_crBackColor = 0xFFFFFF;
    Add(*back, std::move(shade));

    auto title = std::make_unique<TvText>(Rect{6 * kMm, 6 * kMm, 99 * kMm, 16 * kMm}, Sj("仕入先元帳　テストカード"));
    TextSize(*title, 1600);
    title->m_nZenFont = 0;
    title->m_nHanFont = 0;
    title->m_nAlign = 3;
    title->m_bBold = 1;
    title->m_nUnderline = 7;
    title->m_crUnderline = 0x0000C0;
    Add(*front, std::move(title));

    auto wrap = std::make_unique<TvText>(Rect{6 * kMm, 18 * kMm, 50 * kMm, 40 * kMm},
                                         Sj("あいうえお。かきくけこ、さしすせそ。Mixed text wraps at spaces."));
    TextSize(*wrap, 1000);
    wrap->m_bAutoLineFeed = 1;
    wrap->m_bKinsoku = 1;
    wrap->m_bWordWrap = 1;
    wrap->m_bFrame = 1;
    wrap->m_nLineWidth = 0;
    wrap->m_nMarginLeft = wrap->m_nMarginTop = kMm;
    Add(*front, std::move(wrap));

    auto vertical = std::make_unique<TvText>(Rect{88 * kMm, 18 * kMm, 99 * kMm, 60 * kMm}, Sj("縦書きの見出し"));
    TextSize(*vertical, 1200);
    vertical->m_nDirection = 2;
    vertical->m_nWidth = 42 * kMm;
    vertical->m_nHeight = 11 * kMm;
    vertical->m_nX = 99 * kMm;
    vertical->m_nY = 18 * kMm;
    vertical->m_crText = 0x006000;
    Add(*front, std::move(vertical));

    auto latin = std::make_unique<TvText>(Rect{55 * kMm, 18 * kMm, 85 * kMm, 26 * kMm}, "Arial 123 right");
    TextSize(*latin, 900);
    latin->m_nHanFont = 1;
    latin->m_nAlign = 2;
    latin->m_nStrike = 1;
    latin->m_crStrike = 0x0000FF;
    Add(*front, std::move(latin));

    auto data = std::make_unique<TvData>(Rect{55 * kMm, 28 * kMm, 85 * kMm, 36 * kMm});
    data->m_strName = "data";
    TextSize(*data, 1100);
    data->m_strPicture = "ZZZZZZ9";
    data->m_nAlign = 2;
    data->m_bFrame = 1;
    data->m_nLineWidth = 0;
    data->m_nFillStyle = 1;
    data->m_crFill = 0xE0F0FF;
    Add(*front, std::move(data));

    auto field = std::make_unique<TvTextField>(Rect{55 * kMm, 38 * kMm, 85 * kMm, 46 * kMm});
    field->m_strName = "field";
    TextSize(*field, 1100);
    Add(*front, std::move(field));

    Add(*front, std::make_unique<TvLine>(Rect{6 * kMm, 44 * kMm, 50 * kMm, 44 * kMm}));
    auto dashed = std::make_unique<TvLine>(Rect{6 * kMm, 47 * kMm, 50 * kMm, 47 * kMm});
    dashed->m_nLineStyle = 2;
    Add(*front, std::move(dashed));
    auto thick = std::make_unique<TvLine>(Rect{6 * kMm, 50 * kMm, 50 * kMm, 56 * kMm});
    thick->m_nLineWidth = kMm;
    thick->m_crLineColor = 0xC00000;
    Add(*front, std::move(thick));

    auto circle = std::make_unique<TvCircle>(Rect{6 * kMm, 60 * kMm, 26 * kMm, 75 * kMm}, 1, nullptr);
    circle->m_nFillStyle = 1;
    circle->m_crFillColor = 0x00C0FF;
    Add(*front, std::move(circle));
    auto pie = std::make_unique<TvArc>(Rect{30 * kMm, 60 * kMm, 50 * kMm, 80 * kMm}, 1, TvArc::kPie, nullptr);
    pie->m_nStartAngle = 0;
    pie->m_nEndAngle = 9000;
    pie->m_nFillStyle = 9;
    pie->m_crFillColor = 0x0000FF;
    Add(*front, std::move(pie));

    auto poly = std::make_unique<TvPolygon>(Point{55 * kMm, 60 * kMm}, 1, nullptr);
    poly->AddPoint({55 * kMm, 75 * kMm});
    poly->AddPoint({65 * kMm, 60 * kMm});
    poly->AddPoint({75 * kMm, 75 * kMm});
    poly->m_nPolyType = TvPolygon::kPolygon;
    poly->m_nFillStyle = 1;
    poly->m_crFillColor = 0x40C040;
    Add(*front, std::move(poly));

    auto image = std::make_unique<TvImage>(Rect{80 * kMm, 62 * kMm, 99 * kMm, 78 * kMm}, picturePath);
    image->m_bFrame = 1;
    image->m_nLineWidth = 0;
    Add(*front, std::move(image));
    auto imageField = std::make_unique<TvImageField>(Rect{80 * kMm, 80 * kMm, 90 * kMm, 90 * kMm}, picturePath);
    Add(*front, std::move(imageField));

    TvText cellTemplate(Rect{0, 0, 0, 0});
    TextSize(cellTemplate, 900);
    cellTemplate.m_bFrame = 1;
    cellTemplate.m_nLineWidth = 0;
    cellTemplate.m_nMarginLeft = kMm / 2;
    auto list = std::make_unique<TvList>(Rect{6 * kMm, 82 * kMm, 75 * kMm, 97 * kMm}, 3, 3, cellTemplate);
    list->m_strName = "list";
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            if (!list->GetCell(c, r)) list->SetCell(c, r);
    Add(*front, std::move(list));

    auto ole = std::make_unique<TvOle>(Rect{80 * kMm, 92 * kMm, 99 * kMm, 98 * kMm}, 1, 0xFFFFFF, 1);
    Add(*front, std::move(ole));

    auto barcode = std::make_unique<TvBarcode>();
    barcode->m_strName = "barcode";
    barcode->m_nX = 6 * kMm;
    barcode->m_nY = 124 * kMm;
    barcode->m_nWidth = 45 * kMm;
    barcode->m_nHeight = 12 * kMm;
    Add(*front, std::move(barcode));

    auto stamp = std::make_unique<TvText>(Rect{55 * kMm, 125 * kMm, 99 * kMm, 140 * kMm}, Sj("回転 ROTATED"));
    TextSize(*stamp, 1000);
    stamp->m_nAngle = 1500;
    stamp->m_crText = 0x800080;
    Add(*front, std::move(stamp));

    form->m_layers.push_back(std::move(back));
    form->m_layers.push_back(std::move(front));
    return form;
}

// Fills the values of page `page` the way a host fills a page: each value
// goes to its object through `apply` (by default SetProperties without a
// change list).
using ApplyValues = std::function<void(TvObject&, const std::vector<TvPropertyMap>&)>;
inline void FillTestCard(TvFedObject& form, int page = 1, const ApplyValues& apply = {})
{
    for (auto& layer : form.m_layers)
        for (auto& obj : layer->m_objects) {
            std::vector<TvPropertyMap> maps;
            if (obj->m_strName == "data") {
                maps.emplace_back().SetString(1001, std::to_string(1234567 * page));
            } else if (obj->m_strName == "field") {
                maps.emplace_back().SetString(1001, Sj("記入欄の値") + (page > 1 ? std::to_string(page) : ""));
            } else if (obj->m_strName == "barcode") {
                maps.emplace_back().SetString(1001, "TVD-" + std::to_string(100 + page));
            } else if (obj->m_strName == "list") {
                static const char* names[3] = {"品名", "数量", "単価"};
                for (int c = 0; c < 3; ++c)
                    for (int r = 0; r < 3; ++r) {
                        std::string text = r == 0 ? Sj(names[c]) : std::to_string((c + 1) * (r + 10) * page);
                        maps.emplace_back().SetString(125, std::to_string(c) + ":" + std::to_string(r) + ":" + text);
                    }
            } else {
                continue;
            }
            if (apply) {
                apply(*obj, maps);
            } else {
                for (const TvPropertyMap& map : maps) obj->SetProperties(map, nullptr);
            }
        }
}

inline std::unique_ptr<TvFedObject> MakeIndexedTestCard(const std::string& picturePath)
{
    auto form = MakeTestCard(picturePath);
    form->RebuildIdMap(true);
    return form;
}

// Writes a document of `pages` pages of the card; page 2 changes the paper.
// `prepare` runs on the store once it is created (header fields, packing).
inline void WriteCardDocument(const std::string& path, const std::string& bmp, int pages,
                              const std::function<void(TvDocStore&)>& prepare = {})
{
    auto form = MakeIndexedTestCard(bmp);
    TvDocStore store;
    ASSERT_EQ(store.Create(path), 1);
    store.PrinterSettings().m_nPaperSize = 9;
    if (prepare) prepare(store);
    int32_t formId = store.WriteForm(*form);
    for (int p = 1; p <= pages; ++p) {
        TvPageData page;
        page.m_nFormId = uint32_t(formId);
        auto copy = form->Clone();
        FillTestCard(*copy, p, [&](TvObject& obj, const std::vector<TvPropertyMap>& maps) {
            TvObjectChanges changes(obj.m_nObjectId);
            for (const TvPropertyMap& map : maps) obj.SetProperties(map, &changes.m_changes);
            page.m_objectEntries.MergeChanges(changes);
        });
        if (p == 2) {
            TvObjectChanges printer(0);
            printer.m_changes.Add(std::make_unique<CChangeData>(uint16_t(1501), int32_t(12)));
            page.m_printerEntries.MergeChanges(printer);
        }
        store.WritePage(page);
    }
    std::vector<std::unique_ptr<TvFontDesc>> fonts;
    store.WriteObjectList(fonts);
    store.Close();
}

} // namespace nv::testcard
