#include "control/OutputDevice.h"

#include "platform/qt/PrinterByName.h"
#include "platform/qt/QtPrinterJob.h"
#include "platform/qt/QtSurfaces.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cstdio>

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
        if (!m_target.isEmpty()) {
            // Reserve the file beside the target now: a folder that cannot
            // take it fails the start, not the first page.
            const QFileInfo info(m_target);
            QTemporaryFile spool(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                 QStringLiteral(".XXXXXX"));
            spool.setAutoRemove(false);
            if (!spool.open()) return false;
            m_spool = spool.fileName();
            spool.close();
            m_printer->setOutputFileName(m_spool);
        }
        if (m_job.StartDoc({})) {
            m_printer->setDocName(QString::fromStdString(docName));
            return true;
        }
        DropSpool();
        return false;
    }
    bool StartPage() override
    {
        if (!m_job.StartPage()) return false;
        m_dc = MakePrinterDc(*m_job.Painter(), *m_printer);
        return true;
    }
    DeviceContext* PageDc() override { return m_dc.get(); }
    bool EndPage() override
    {
        m_dc.reset();
        return m_job.EndPage();
    }
    bool EndDoc() override
    {
        m_dc.reset();
        const bool ok = m_job.EndDoc();
        if (m_spool.isEmpty()) return ok;
        // The spool was made private; the PDF gets a new file's mode.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(m_spool).constData(), 0666 & ~mask);
        if (ok && std::rename(QFile::encodeName(m_spool).constData(), QFile::encodeName(m_target).constData()) == 0) {
            m_spool.clear();
            return true;
        }
        DropSpool();
        return false;
    }
    void AbortDoc() override
    {
        m_dc.reset();
        m_job.AbortDoc();
        DropSpool();
    }
    bool ResetDC(const DevMode& mode) override { return m_job.ResetDC(mode); }

private:
    void DropSpool()
    {
        if (!m_spool.isEmpty()) QFile::remove(m_spool);
        m_spool.clear();
    }

    std::unique_ptr<QPrinter> m_printer;
    QtPrinterJob m_job;
    std::unique_ptr<QtDeviceContext> m_dc;
    QString m_target;
    QString m_spool;
};

} // namespace

std::unique_ptr<OutputJob> MakeQtOutputJob(const std::string& printerName)
{
    std::unique_ptr<QPrinter> printer = OpenPrinterByName(QString::fromStdString(printerName));
    if (!printer) return nullptr;
    return std::make_unique<QtOutputJob>(std::move(printer));
}

} // namespace nv
