#include "ledger/journal/print/DrawingJob.h"

#include "ledger/common/DrawErrMsg.h"
#include "platform/ui/Prompt.h"

#include <QCursor>
#include <QGuiApplication>

#include <map>

namespace nv {

namespace {

// The hourglass until restored or the scope ends.
class Hourglass {
public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { Restore(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
    void Restore()
    {
        if (!on_) return;
        on_ = false;
        QGuiApplication::restoreOverrideCursor();
    }

private:
    bool on_ = true;
};

// A failed step: its message has been shown; the exit path follows.
struct Reported {};

class JobRun {
public:
    JobRun(const ObjectRef& control, const DrawingJob& job, const PrintContext& context)
        : ink_(control), job_(job), context_(context)
    {
    }

    bool Run()
    {
        Status(kLedgerWorkingStatus);
        try {
            Steps();
            return true;
        } catch (const Reported&) {
        } catch (const AutomationError& e) {
            Warn(e.description().empty() ? e.what() : e.description());
        } catch (const std::exception& e) {
            Warn(e.what());
        }
        Exit();
        return false;
    }

private:
    void Status(const char* text)
    {
        if (job_.LedgerStatus && context_.Status) gsStatusText(*context_.Status, text);
    }

    void Warn(const std::string& text) { ui::warn(QString::fromStdString(text), context_.Parent); }

    void Check(const char* method, const Variant& result)
    {
        int32_t code = result.ToLong();
        if (code == 0) return;
        Warn(ControlFailureText(method, code));
        throw Reported{};
    }

    ObjectRef Object(const std::string& name)
    {
        auto it = objects_.find(name);
        if (it != objects_.end()) return it->second;
        ObjectRef o(fieldList_.Get("Item", {Variant(name)}));
        objects_.emplace(name, o);
        return o;
    }

    void Write(const std::vector<FieldWrite>& writes)
    {
        for (const FieldWrite& w : writes) Object(w.Name).Put("Text", w.Value);
    }

    void Steps()
    {
        Check("Initialize", ink_.Call("Initialize"));
        ObjectRef printer(ink_.Get("Printer"));
        printer.Put("Orientation", Variant(int32_t{1}));
        printer.Put("PaperSize", Variant(int32_t{9}));
        printer.Put("PrintScale", Variant(int16_t{100}));
        if (job_.Mode == OutputMode::Printer) {
            if (ObjectRef(ink_.Get("TvPrinters")).Get("Count").ToLong() == 0) {
                hourglass_.Restore();
                Warn(kNoPrinterMessage);
                throw Reported{};
            }
            Check("StartPrinter", ink_.Call("StartPrinter", {Variant(""), Variant(kDocumentName)}));
        } else {
            Check("StartDocument", ink_.Call("StartDocument", {Variant(job_.DocumentFile), Variant(kDocumentName)}));
        }
        outputOpen_ = true;
        form_ = ObjectRef(ink_.Call("OpenForm", {Variant(job_.FormFile)}));
        ObjectRef layers(form_.Get("TvLayers"));
        for (const std::string& name : job_.Layers)
            ObjectRef(layers.Get("Item", {Variant(name)})).Put("VisibleAtPrint", Variant(true));
        form_.Call("ClearAllFields");
        fieldList_ = ObjectRef(form_.Get("TvObjects"));
        Write(job_.Header);
        for (const ReportPage& page : job_.Pages) {
            Write(page.Writes);
            Check("PrintOut", form_.Call("PrintOut"));
            if (job_.ClearAfterEachPage) form_.Call("ClearAllFields");
        }
        formOpen_ = false;
        form_.Call("Close");
        if (job_.Mode == OutputMode::Printer) {
            Check("EndPrinter", ink_.Call("EndPrinter"));
            outputOpen_ = false;
            Status(kPrintedStatus);
            hourglass_.Restore();
            ui::inform(kPrintDoneMessage, context_.Parent);
        } else {
            Check("EndDocument", ink_.Call("EndDocument"));
            outputOpen_ = false;
            Status(kDocumentDoneStatus);
        }
        hourglass_.Restore();
        Status(kReadyStatus);
    }

    // From here nothing is reported: the failure already was.
    void Exit()
    {
        if (outputOpen_) {
            try {
                ink_.Call(job_.Mode == OutputMode::Printer ? "AbortPrinter" : "AbortDocument");
            } catch (const std::exception&) {
            }
        }
        if (form_ && formOpen_) {
            try {
                form_.Call("Close");
            } catch (const std::exception&) {
            }
        }
        hourglass_.Restore();
        Status(kReadyStatus);
    }

    const ObjectRef& ink_;
    const DrawingJob& job_;
    const PrintContext& context_;
    Hourglass hourglass_;
    bool outputOpen_ = false;
    bool formOpen_ = true;
    ObjectRef form_;
    ObjectRef fieldList_;
    std::map<std::string, ObjectRef> objects_;
};

} // namespace

std::string ControlFailureText(const std::string& method, int32_t result)
{
    return "Err:" + method + "(" + gfDrawErrMsg(result) + ")";
}

bool RunDrawingJob(const ObjectRef& control, const DrawingJob& job, const PrintContext& context)
{
    return JobRun(control, job, context).Run();
}

} // namespace nv
