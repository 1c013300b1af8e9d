#include "OutputFixture.h"

#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvOleItem.h"
#include "engine/model/TvText.h"
#include "platform/core/Cp932.h"

#include <QApplication>

#include <cstdio>
#include <regex>

using namespace nv;

namespace nvtest {

bool FakeJob::StartDoc(const std::string& docName)
{
    if (script_.failStart) return false;
    script_.calls.push_back("start:" + docName);
    return true;
}

bool FakeJob::StartPage()
{
    ++page_;
    if (page_ == script_.failStartPage) return false;
    // A4 at 72 dpi keeps the pages small.
    dc_ = std::make_unique<QtImageDc>(595, 842, 72);
    script_.calls.push_back("page");
    return true;
}

bool FakeJob::EndPage()
{
    if (!dc_) return false;
    script_.pages.push_back(dc_->Finish().copy());
    dc_.reset();
    return page_ != script_.failEndPage;
}

bool FakeJob::EndDoc()
{
    script_.calls.push_back("end");
    return !script_.failEnd;
}

void FakeJob::AbortDoc()
{
    dc_.reset();
    script_.calls.push_back("abort");
}

bool FakeJob::ResetDC(const DevMode& mode)
{
    script_.calls.push_back("mode:" + std::to_string(mode.dmOrientation) + "/" + std::to_string(mode.dmPaperSize) +
                             "/" + std::to_string(mode.dmScale));
    return true;
}

OutputJobFactory FakeJobs(FakeJobScript& script)
{
    return [&script](const std::string& printerName) -> std::unique_ptr<OutputJob> {
        script.printerName = printerName;
        if (script.failCreate) return nullptr;
        return std::make_unique<FakeJob>(script);
    };
}

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "controltest";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        new QApplication(argc, argv);
    }
}

std::string Sjis(const std::string& utf8) { return Utf8ToCp932(utf8).value(); }

const std::vector<std::string>& RowPrefixes()
{
    static const std::vector<std::string> p = {"tsuki", "hi",    "hinmei", "suuryou", "tanka",
                                               "uriage", "ukeire", "kashi", "zandaka"};
    return p;
}

namespace {

void PutLe32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// A storage whose cached presentation is a 24-bit DIB of 1000 x 1000.
CompoundEntry BigDibStorage()
{
    std::string dib;
    for (uint32_t v : {40u, 1000u, 1000u}) PutLe32(dib, v);
    dib += std::string("\x01\x00\x18\x00", 4);
    for (int i = 0; i < 6; ++i) PutLe32(dib, 0);
    dib += std::string(3000000, '\x7F');
    std::string pres;
    PutLe32(pres, 0xFFFFFFFFu);
    PutLe32(pres, 8); // CF_DIB
    PutLe32(pres, 4);
    for (uint32_t v : {1u, 0xFFFFFFFFu, 2u, 0u, 2000u, 1000u}) PutLe32(pres, v);
    PutLe32(pres, uint32_t(dib.size()));
    pres += dib;
    CompoundEntry storage;
    storage.storage = true;
    storage.AddStream("\001Ole", std::string(20, '\0'));
    storage.AddStream("\002OlePres000", pres);
    return storage;
}

} // namespace

std::unique_ptr<TvFedObject> JournalForm(bool withOle)
{
    RegisterModelClasses();
    auto f = std::make_unique<TvFedObject>();
    TvFormInfo& info = f->EnsureFormInfo();
    info.m_strName = Sjis("仕入れ");
    info.m_nPaperWidth = 11905511;
    info.m_nPaperLength = 16837795;
    auto layer = [&](int32_t id, const char* name) {
        auto l = std::make_unique<TvLayer>(id);
        l->m_strName = Sjis(name);
        l->m_bVisibleAtPrint = 0;
        f->m_layers.push_back(std::move(l));
        return f->m_layers.back().get();
    };
    TvLayer* frame = layer(1, "フレイム");
    TvLayer* frame2 = layer(2, "フレイム２");
    TvLayer* rows = layer(3, "明細");
    TvLayer* head = layer(4, "見出し");
    const int32_t mm = 56693;
    auto add = [](TvLayer* l, std::unique_ptr<TvObject> o, const std::string& name) {
        o->m_strName = name;
        // Texts in 10 point, so that a printout has something to read.
        if (auto* t = dynamic_cast<TvText*>(o.get())) t->m_nHanHeight = t->m_nZenHeight = 1000;
        l->m_objects.push_back(std::move(o));
    };
    add(frame, std::make_unique<TvBox>(Rect{10 * mm, 10 * mm, 200 * mm, 287 * mm}), "Border");
    if (withOle) {
        auto ole = std::make_unique<TvOle>();
        ole->SetRect(Rect{150 * mm, 250 * mm, 190 * mm, 280 * mm});
        auto item = std::make_unique<TvOleItem>();
        item->m_dwItemNumber = 1;
        item->m_storage = WriteCompoundFile(BigDibStorage());
        ole->SetItem(std::move(item));
        add(frame, std::move(ole), "Chart");
    }
    add(frame2, std::make_unique<TvBox>(Rect{10 * mm, 30 * mm, 200 * mm, 40 * mm}), "Band");
    add(head, std::make_unique<TvText>(Rect{15 * mm, 15 * mm, 100 * mm, 25 * mm}), Sjis("印刷名"));
    add(head, std::make_unique<TvText>(Rect{110 * mm, 15 * mm, 150 * mm, 25 * mm}), Sjis("ＮＯ"));
    add(head, std::make_unique<TvText>(Rect{160 * mm, 15 * mm, 195 * mm, 25 * mm}), Sjis("ページ"));
    for (int r = 1; r <= 31; ++r) {
        const int32_t top = (40 + (r - 1) * 7) * mm;
        int32_t left = 12 * mm;
        for (const auto& p : RowPrefixes()) {
            add(rows, std::make_unique<TvText>(Rect{left, top, left + 20 * mm, top + 6 * mm}), p + std::to_string(r));
            left += 20 * mm;
        }
    }
    f->RebuildIdMap(true);
    return f;
}

void WriteJournalForm(const std::string& path) { WriteFileBytes(path, StoreFormFile(*JournalForm(), {})); }

std::vector<std::pair<int, int>> PdfPageSizes(const std::string& file)
{
    std::string info;
    if (FILE* p = ::popen(("pdfinfo -f 1 -l 99 '" + file + "' 2>&1").c_str(), "r")) {
        char buf[512];
        while (size_t n = std::fread(buf, 1, sizeof buf, p)) info.append(buf, n);
        ::pclose(p);
    }
    std::vector<std::pair<int, int>> sizes;
    const std::regex re(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = std::sregex_iterator(info.begin(), info.end(), re); it != std::sregex_iterator(); ++it)
        sizes.emplace_back(int(std::stod((*it)[1]) + 0.5), int(std::stod((*it)[2]) + 0.5));
    return sizes;
}

} // namespace nvtest
