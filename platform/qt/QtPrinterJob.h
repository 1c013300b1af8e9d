#pragma once
// One print job on a QPrinter (a CUPS printer or Qt's PDF writer) with the
// page calls of a printer device context. A new printer mode between pages
// changes the paper size and orientation of the pages that follow; tray,
// duplex, copies and colour hold for a whole CUPS job, so a change of them
// ends the job and goes on in a new one (a PDF file has none of them).
#include "platform/print/PrinterModeTarget.h"
#include "platform/core/DevMode.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <string>

namespace nv {

class QtPrinterJob : public PrinterModeTarget {
public:
    explicit QtPrinterJob(QPrinter& printer);
    ~QtPrinterJob() override;
    QtPrinterJob(const QtPrinterJob&) = delete;
    QtPrinterJob& operator=(const QtPrinterJob&) = delete;

    // docName in CP932. False when a job is already open.
    bool StartDoc(const std::string& docName);
    // False when no job is open, a page is open, or the printer cannot start.
    bool StartPage();
    bool EndPage();
    bool EndDoc();
    // Ends the job, discarding what the printer allows to discard.
    void AbortDoc();

    // Valid between StartPage and EndPage.
    QPainter* Painter() { return inPage_ ? &painter_ : nullptr; }

    // Between pages or before the first; false inside a page or when the
    // mode names a paper that cannot be set.
    bool ResetDC(const DevMode& mode) override;

    // How many spool jobs the document has taken so far.
    int JobCount() const { return jobs_; }
    bool IsPdf() const { return printer_.outputFormat() == QPrinter::PdfFormat; }

    // The page layout a mode gives, starting from `layout`; false when the
    // mode's paper is unknown.
    static bool PageLayoutFor(const DevMode& mode, QPageLayout& layout);

protected:
    // Whether a change of job options needs a job of its own: true for a
    // printer, false for a PDF file.
    virtual bool OptionsSplitJobs() const { return !IsPdf(); }

private:
    struct JobOptions {
        int copies = 1;
        QPrinter::DuplexMode duplex = QPrinter::DuplexAuto;
        QPrinter::ColorMode color = QPrinter::Color;
        QPrinter::PaperSource source = QPrinter::Auto;
        bool operator==(const JobOptions&) const = default;
    };
    JobOptions OptionsFor(const DevMode& mode) const;
    void ApplyOptions(const JobOptions& o);
    bool Begin();

    QPrinter& printer_;
    QPainter painter_;
    JobOptions options_;
    bool docOpen_ = false;
    bool inPage_ = false;
    bool needBegin_ = true;
    int jobs_ = 0;
};

} // namespace nv
