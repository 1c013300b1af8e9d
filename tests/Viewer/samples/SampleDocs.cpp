#include "SampleDocs.h"

#include "engine/model/TvBox.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvTextField.h"
#include "engine/store/TvDocStore.h"
#include "platform/core/Cp932.h"

#include <filesystem>

namespace nv::samples {

SquarePlace SquareOf(int page)
{
    const int i = (page - 1) % 25;
    return {20 * kMm + (i % 5) * 35 * kMm, 60 * kMm + (i / 5) * 35 * kMm, 20 * kMm};
}

namespace {

std::unique_ptr<TvFedObject> MakeForm()
{
    auto form = std::make_unique<TvFedObject>();
    form->EnsureFormInfo();
    form->m_fonts.push_back(std::make_unique<TvFontDesc>(1, "Arial", 0, 0x22, 0, 0));
    auto layer = std::make_unique<TvLayer>(1);
    layer->m_strName = "page";
    auto label = std::make_unique<TvTextField>(Rect{20 * kMm, 20 * kMm, 120 * kMm, 45 * kMm});
    label->m_strName = "label";
    label->m_nZenHeight = label->m_nHanHeight = 2400;
    layer->m_objects.push_back(std::move(label));
    const SquarePlace s = SquareOf(1);
    auto square = std::make_unique<TvBox>(Rect{s.left, s.top, s.left + s.side, s.top + s.side}, 0, 1, nullptr);
    square->m_strName = "square";
    square->m_nFillStyle = 1;
    square->m_crFillColor = 0x000000;
    layer->m_objects.push_back(std::move(square));
    form->m_layers.push_back(std::move(layer));
    form->RebuildIdMap(true);
    return form;
}

void SetPaper(TvPrinterSettings& p, const SampleSpec& spec, int32_t orientation)
{
    p.m_nOrientation = orientation;
    p.m_nPaperSize = spec.paperId;
    p.m_nPaperWidth = spec.widthTenths;
    p.m_nPaperLength = spec.lengthTenths;
    p.m_nScale = 100;
}

} // namespace

void WriteSampleDoc(const std::string& path, const SampleSpec& spec)
{
    auto form = MakeForm();
    TvDocStore store;
    store.Create(path);
    SetPaper(store.PrinterSettings(), spec, spec.orientation);
    store.Header().m_strName = *Utf8ToCp932(spec.nameUtf8);
    const int32_t formId = store.WriteForm(*form);
    const int32_t turned = spec.orientation == 1 ? 2 : 1;
    for (int n = 1; n <= spec.pages; ++n) {
        TvPageData page;
        page.m_nFormId = uint32_t(formId);
        auto copy = form->Clone();
        for (auto& obj : copy->m_layers.front()->m_objects) {
            TvPropertyMap map;
            if (obj->m_strName == "label") {
                map.SetString(1001, "P" + std::to_string(n));
            } else {
                const SquarePlace s = SquareOf(n);
                map.SetLong(4, s.left);
                map.SetLong(5, s.top);
            }
            TvObjectChanges changes(obj->m_nObjectId);
            obj->SetProperties(map, &changes.m_changes);
            page.m_objectEntries.MergeChanges(changes);
        }
        // Pages keep the previous page's paper unless changed: say it on every
        // page of a mixed document.
        if (spec.alternate) {
            TvPrinterSettings scratch;
            TvPropertyMap map;
            map.SetLong(1500, n % 2 == 0 ? turned : spec.orientation);
            TvObjectChanges printer(0);
            scratch.SetProperties(map, &printer.m_changes);
            page.m_printerEntries.MergeChanges(printer);
        }
        if (size_t(n) <= spec.changes.size()) {
            const PaperChange& c = spec.changes[size_t(n - 1)];
            TvPrinterSettings scratch;
            TvPropertyMap map;
            for (auto [id, value] : {std::pair{1500, c.orientation}, std::pair{1501, c.paperId},
                                     std::pair{1502, c.lengthTenths}, std::pair{1503, c.widthTenths}})
                if (value >= 0) map.SetLong(uint16_t(id), value);
            TvObjectChanges printer(0);
            scratch.SetProperties(map, &printer.m_changes);
            page.m_printerEntries.MergeChanges(printer);
        }
        store.WritePage(page);
    }
    store.WriteObjectList({});
    store.Close();
}

void WriteSampleSet(const std::string& folder, int manyPages)
{
    const std::filesystem::path dir(folder);
    std::filesystem::create_directories(dir);
    WriteSampleDoc((dir / "five.tvd").string(), {});
    WriteSampleDoc((dir / "mixed.tvd").string(), {.pages = 4, .alternate = true});
    WriteSampleDoc((dir / "a3-landscape.tvd").string(),
                   {.pages = 2, .paperId = 8, .widthTenths = 2970, .lengthTenths = 4200, .orientation = 2});
    WriteSampleDoc((dir / "paper-length-0.tvd").string(), {.pages = 2, .widthTenths = 0, .lengthTenths = 0});
    WriteSampleDoc((dir / "no-pages.tvd").string(), {.pages = 0});
    WriteSampleDoc((dir / "named.tvd").string(), {.pages = 3, .nameUtf8 = "仕入先元帳"});
    if (manyPages > 0) WriteSampleDoc((dir / "many.tvd").string(), {.pages = manyPages});
}

} // namespace nv::samples
