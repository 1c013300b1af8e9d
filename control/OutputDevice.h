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
};

// Makes the job of a printer name as OpenPrinterByName takes it; null when
// there is no such printer.
using OutputJobFactory = std::function<std::unique_ptr<OutputJob>(const std::string& printerName)>;

// A Qt print job. A PDF is written beside its file and takes the file's
// name only when the job ends well, so an aborted or failed job leaves
// neither a half-written file nor a clobbered older one.
std::unique_ptr<OutputJob> MakeQtOutputJob(const std::string& printerName);

} // namespace nv
