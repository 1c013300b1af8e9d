#include "control/OutputDevice.h"

#include "engine/core/EngineLog.h"
#include "platform/qt/PdfFailure.h"
#include "platform/qt/PdfSpool.h"
#include "platform/qt/PrinterByName.h"
#include "platform/qt/QtPrinterJob.h"
#include "platform/qt/QtSurfaces.h"

namespace nv {

namespace {

class QtOutputJob : public OutputJob {
public:
    explicit QtOutputJob(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)), m_job(*m_printer)
    {
        if (m_job.IsPdf()) m_target = m_printer->outputFileName();
    }
    ~QtOutputJob() override { AbortDoc(); }

    bool StartDoc(const std::string& docName) override
    {
        // The spool is made now: a folder that cannot take it fails the
        // start, not the first page.
        if (!m_target.isEmpty()) {
            if (!m_spool.Reserve(m_target)) return Failed();
            m_printer->setOutputFileName(m_spool.Path());
        }
        if (m_job.StartDoc({})) {
            m_printer->setDocName(QString::fromStdString(docName));
            return true;
        }
        m_spool.Abandon();
        return Failed();
    }
    bool StartPage() override
    {
        if (!m_job.StartPage()) return Failed();
        m_dc = MakePrinterDc(*m_job.Painter(), *m_printer);
        return true;
    }
    DeviceContext* PageDc() override { return m_dc.get(); }
    bool EndPage() override
    {
        m_dc.reset();
        return m_job.EndPage() || Failed();
    }
    bool EndDoc() override
    {
        m_dc.reset();
        const bool ok = m_job.EndDoc();
        if (m_target.isEmpty()) return ok;
        if (ok ? m_spool.Commit() : (m_spool.Abandon(), false)) return true;
        return Failed();
    }
    void AbortDoc() override
    {
        m_dc.reset();
        m_job.AbortDoc();
        m_spool.Drop();
    }
    bool ResetDC(const DevMode& mode) override { return m_job.ResetDC(mode); }
    std::string FailureText() const override { return m_failure; }

private:
    // Notes why a step failed: a PDF file's own cause, as the system gave
    // it to its spool; a printer's job only says that it failed.
    bool Failed()
    {
        if (m_target.isEmpty())
            m_failure = "プリンタ " + m_printer->printerName().toStdString() + " が印刷ジョブを受け付けません。";
        else if (const QString why = m_spool.FailureText(); !why.isEmpty())
            m_failure = why.toStdString();
        else
            m_failure = m_target.toStdString() + ": " + PdfFailureReason(m_target).toStdString();
        return false;
    }

    std::unique_ptr<QPrinter> m_printer;
    QtPrinterJob m_job;
    std::unique_ptr<QtDeviceContext> m_dc;
    QString m_target;
    PdfSpool m_spool;
    std::string m_failure;
};

} // namespace

void LogJobFailure(const std::string& what, const OutputJob& job)
{
    const std::string why = job.FailureText();
    LogLine("Inkplate", why.empty() ? what + "。" : what + ": " + why);
}

std::unique_ptr<OutputJob> MakeQtOutputJob(const std::string& printerName)
{
    std::unique_ptr<QPrinter> printer = OpenPrinterByName(QString::fromStdString(printerName));
    if (!printer) return nullptr;
    return std::make_unique<QtOutputJob>(std::move(printer));
}

} // namespace nv
