#include "ledger/journal/print/DrawingJob.h"

#include "engine/core/EngineLog.h"
#include "ledger/common/DrawErrMsg.h"
#include "ledger/common/ShownFailure.h"
#include "platform/ui/Prompt.h"

#include <QCursor>
#include <QGuiApplication>

#include <unordered_map>

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
struct FailureAlreadyShown {};

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
        } catch (const FailureAlreadyShown&) {
            // Its message has been shown; only the exit path is left.
        } catch (const AutomationError& e) {
            Warn(ShownFailure("JournalPrint", e));
        } catch (const std::exception& e) {
            Warn(ShownFailure("JournalPrint", e));
        }
        Exit();
        return false;
    }

private:
    void Status(const char* text)
    {
        if (job_.LedgerStatus && context_.Status) gsStatusText(*context_.Status, text);
    }

    void Warn(const std::string& text) { ui::Warn(QString::fromStdString(text), context_.Parent); }

    void Check(const char* method, const Variant& result)
    {
        int32_t code = result.ToLong();
        if (code == 0) return;
        Warn(ControlFailureText(method, code));
        throw FailureAlreadyShown{};
    }

    // A field and the id of its Text member, looked up once per job: every
    // page writes the same few hundred fields again.
    struct Field {
        ObjectRef object;
        int32_t textId;
    };

    const Field& FieldNamed(const std::string& name)
    {
        auto it = fields_.find(name);
        if (it != fields_.end()) return it->second;
        ObjectRef o(fieldList_.Get("Item", {Variant(name)}));
        const int32_t textId = IdOfName(o.Get(), "Text");
        return fields_.emplace(name, Field{std::move(o), textId}).first->second;
    }

    void Write(const std::vector<FieldWrite>& writes)
    {
        for (const FieldWrite& w : writes) {
            const Field& f = FieldNamed(w.Name);
            f.object.Put(f.textId, w.Value);
        }
    }

    void Steps()
    {
        Check("Initialize", ink_.Call("Initialize"));
        ObjectRef printer(ink_.Get("Printer"));
        printer.Put("Orientation", Variant(job_.Orientation));
        printer.Put("PaperSize", Variant(int32_t{9}));
        printer.Put("PrintScale", Variant(int16_t{100}));
        if (job_.Mode == OutputMode::Printer) {
            if (ObjectRef(ink_.Get("TvPrinters")).Get("Count").ToLong() == 0) {
                hourglass_.Restore();
                Warn(kNoPrinterMessage);
                throw FailureAlreadyShown{};
            }
            if (!job_.PrintFolder.empty()) ink_.Put("DocumentPath", Variant(job_.PrintFolder));
            Check("StartPrinter", ink_.Call("StartPrinter", {Variant(""), Variant(job_.DocumentName)}));
        } else {
            Check("StartDocument", ink_.Call("StartDocument", {Variant(job_.DocumentFile), Variant(job_.DocumentName)}));
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
            // The PDF file the job wrote, as the control names it: empty for
            // a printer.
            const std::string file = ink_.Get("DocumentFileName").ToString();
            ui::Inform(QString::fromUtf8(kPrintDoneMessage) +
                           (file.empty() ? QString() : "\n" + QString::fromUtf8(kPrintFileLine) + QString::fromStdString(file)),
                       context_.Parent);
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
            } catch (const std::exception& e) {
                LogLine("JournalPrint", "Inkplate abort: " + LogText(e));
            }
        }
        if (form_ && formOpen_) {
            try {
                form_.Call("Close");
            } catch (const std::exception& e) {
                LogLine("JournalPrint", "Inkplate form close: " + LogText(e));
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
    std::unordered_map<std::string, Field> fields_;
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
