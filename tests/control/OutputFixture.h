#pragma once
// The output jobs under test: a print job that draws each page into an
// image and fails where a test asks, printers for the control, and the
// purchases journal's ledger form.
#include "ControlFixture.h"
#include "control/OutputDevice.h"
#include "platform/qt/QtSurfaces.h"

#include <QImage>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace nvtest {

// What a fake job went through and where it is to fail.
struct FakeJobScript {
    bool failCreate = false;
    bool failStart = false;
    int failStartPage = 0; // page number, 0: never
    int failEndPage = 0;
    bool failEnd = false;
    // What happened, in order: "start:<name>", "mode:<orientation>/<paper>/<scale>",
    // "page", "end", "abort".
    std::vector<std::string> calls;
    std::vector<QImage> pages;
    std::string printerName;
};

class FakeJob : public nv::OutputJob {
public:
    explicit FakeJob(FakeJobScript& script) : script_(script) {}
    bool StartDoc(const std::string& docName) override;
    bool StartPage() override;
    nv::DeviceContext* PageDc() override { return dc_.get(); }
    bool EndPage() override;
    bool EndDoc() override;
    void AbortDoc() override;
    bool ResetDC(const nv::DevMode& mode) override;

private:
    FakeJobScript& script_;
    std::unique_ptr<nv::QtImageDc> dc_;
    int page_ = 0;
};

// A factory over a script that outlives the jobs.
nv::OutputJobFactory FakeJobs(FakeJobScript& script);

// The ledger form: layers フレイム, フレイム２, 明細, 見出し; 見出し holds
// 印刷名, ＮＯ and ページ, 明細 the nine objects of rows 1-31; `withOle`
// adds an OLE object "Chart" to フレイム.
std::unique_ptr<nv::TvFedObject> JournalForm(bool withOle = false);
void WriteJournalForm(const std::string& path);
// The nine row prefixes, in the journal's order.
const std::vector<std::string>& RowPrefixes();

// pdfinfo's page sizes in points, rounded.
std::vector<std::pair<int, int>> PdfPageSizes(const std::string& file);

// The widget application the control's tests share (offscreen).
void EnsureApplication();

// CP932 of UTF-8 text (test literals).
std::string Sjis(const std::string& utf8);

} // namespace nvtest
