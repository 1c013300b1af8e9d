#include "SampleDocs.h"

#include "engine/core/ChangeData.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvFontDesc.h"
#include "engine/model/TvFormInfo.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvTextField.h"
#include "engine/store/TvDocStore.h"
#include "platform/core/Cp932.h"

#include <cstdio>
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

namespace {

// The pages of `spec`, each with a value of `bulk` bytes when above 0.
void WritePages(const std::string& path, const SampleSpec& spec, size_t bulk)
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
        if (bulk > 0) {
            TvObjectChanges nobody(0xFFFF);
            nobody.m_changes.Add(CChangeData::FromString(1001, std::string(bulk, 'S')));
            page.m_objectEntries.MergeChanges(nobody);
        }
        store.WritePage(page);
    }
    store.WriteObjectList({});
    store.Close();
}

std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

} // namespace

void WriteSampleDoc(const std::string& path, const SampleSpec& spec)
{
    if (spec.sharedRecordBytes == 0) return WritePages(path, spec, 0);
    SampleSpec one = spec;
    one.pages = 1;
    WritePages(path, one, spec.sharedRecordBytes);
    PointEveryPageAtTheFirst(path, uint32_t(spec.pages));
}

void PointEveryPageAtTheFirst(const std::string& path, uint32_t pages, bool reversed)
{
    size_t nameLength = 0;
    {
        TvDocStore probe;
        probe.Open(path);
        nameLength = probe.Header().m_strName.size();
    }
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        std::fclose(f);
    }
    const std::string head = U32(TvPageIndex::kMagic) + U32(TvPageIndex::kVersion) + U32(1);
    const size_t at = bytes.find(head);
    const std::string entry = bytes.substr(at + 12, 12);
    std::string index = U32(TvPageIndex::kMagic) + U32(TvPageIndex::kVersion) + U32(pages);
    for (uint32_t i = 1; i <= pages; ++i)
        index += entry.substr(0, 4) + U32(reversed ? pages + 1 - i : i) + entry.substr(8, 4);
    index += U32(pages + 28);
    bytes.replace(at, 28, index);
    bytes.replace(32 + nameLength, 4, U32(pages)); // the header's page count
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
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
