#pragma once
// The print job behind StartPrinter and PrintDocument: a device that takes
// a printer mode between pages and hands out a device context for each
// page. The real one prints through Qt (a CUPS printer or a PDF file);
// tests put in their own through the control's job factory.
#include "platform/gdi/DeviceContext.h"
#include "platform/print/PrinterModeTarget.h"

#include <functional>
#include <memory>
#include <string>

namespace nv {

class OutputJob : public PrinterModeTarget {
public:
    // docName in UTF-8 (the spooler's job name); false when the job cannot
    // start.
    virtual bool StartDoc(const std::string& docName) = 0;
    virtual bool StartPage() = 0;
    // The page's device context, null outside a page.
    virtual DeviceContext* PageDc() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDoc() = 0;
    // Ends the job and leaves no output behind.
    virtual void AbortDoc() = 0;
    // Why the last step that returned false failed (UTF-8, for the log);
    // empty when the device does not tell.
    virtual std::string FailureText() const { return {}; }
};

// Writes to the control's log what failed ("印刷を終了できません") and the
// job's cause.
void LogJobFailure(const std::string& what, const OutputJob& job);

// Makes the job of a printer name as OpenPrinterByName takes it; null when
// there is no such printer.
using OutputJobFactory = std::function<std::unique_ptr<OutputJob>(const std::string& printerName)>;

// A Qt print job. A PDF is written beside its file and takes the file's
// name only when the job ends well, so an aborted or failed job leaves
// neither a half-written file nor a clobbered older one.
std::unique_ptr<OutputJob> MakeQtOutputJob(const std::string& printerName);

} // namespace nv
