#pragma once
// The one way screens ask people things: messages, questions, file, folder
// and printer choosers. One instance per process, shared by the programs and
// every plug-in they load (it lives in the shared library nv_ui).
//
// Usage:
//   #include "platform/ui/Prompt.h"
//   nv::ui::Inform(tr("Saved."));
//   if (nv::ui::Ask(text, nv::ui::Buttons::YesNo, nv::ui::Answer::No) == nv::ui::Answer::Yes) ...
//   auto path = nv::ui::CurrentPrompt().ChooseFile({.mode = nv::ui::FileMode::Open, .filters = {"*.tvd"}});
//   int id = nv::ui::MessageBox(text, MbYesNo | MbIconQuestion);   // IDYES etc., for ported code
//
// Which implementation answers: NIVALO_PROMPTS=auto (or no GUI, or the
// offscreen/minimal platform) takes each default and logs it to stderr; else
// real dialogs. Tests install a ScriptedPrompt with ScopedPrompt.
// Link target: nv_ui.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace nv::ui {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// Values are the classic dialog result codes so ported code can compare them.
enum class Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct Message {
    QString text{};
    QString title{};                  // empty: the application's display name
    Icon icon = Icon::Information;
    Buttons buttons = Buttons::Ok;
    std::optional<Answer> defaultAnswer{};  // none: the first button
    QWidget* parent = nullptr;        // none: the active window
};

enum class FileMode { Open, Save };

struct FileRequest {
    FileMode mode = FileMode::Open;
    QString title{};
    QString proposed{};               // folder or full path offered first; the default answer
    QStringList filters{};            // "Documents (*.tvd)", ...
    QString defaultSuffix{};          // added on save when the name has none
    QWidget* parent = nullptr;
};

struct FolderRequest {
    QString title{};
    QString proposed{};               // the default answer
    QWidget* parent = nullptr;
};

struct PrinterRequest {
    QString title{};
    QString proposed{};               // empty: the system's default printer
    QWidget* parent = nullptr;
};

// A printer with its paper and orientation (print setup).
struct PrinterSetupChoice {
    QString printer{};
    int paperId = 0;          // the paper's number; 256 a user size
    QString paperName{};
    int widthTenths = 0;      // upright, tenths of a millimetre
    int lengthTenths = 0;
    int orientation = 1;      // 1 portrait, 2 landscape
    bool operator==(const PrinterSetupChoice&) const = default;
};

// A printer print setup offers, with the papers it takes.
struct PaperOffer {
    int paperId = 0;
    QString name{};
    int widthTenths = 0;      // upright
    int lengthTenths = 0;
};

struct PrinterOffer {
    QString printer{};
    QList<PaperOffer> papers{};
};

struct PrinterSetupRequest {
    QString title{};
    PrinterSetupChoice proposed{};    // the default answer
    QList<PrinterOffer> printers{};   // empty: the system's printers
    QWidget* parent = nullptr;
};

// What to print where (the print dialog).
struct PrintJobChoice {
    QString printer{};                // "pdf:<file>" for a file
    bool range = false;               // pages from..to, else all
    int from = 1;
    int to = 1;
    int copies = 1;
    bool collate = true;
};

struct PrintJobRequest {
    QString title{};
    QString printer{};                // empty: the system's default printer
    int firstPage = 1;
    int lastPage = 1;
    QWidget* parent = nullptr;
    QString pdfFile{};                // the PDF file proposed when printing to one
};

class Prompt {
public:
    virtual ~Prompt() = default;
    virtual Answer Ask(const Message& m) = 0;
    // Empty when the person cancels.
    virtual std::optional<QString> ChooseFile(const FileRequest& r) = 0;
    virtual std::optional<QString> ChooseFolder(const FolderRequest& r) = 0;
    virtual std::optional<QString> ChoosePrinter(const PrinterRequest& r) = 0;
    // Without a dialog of their own: the printer chooser, the paper and
    // orientation kept.
    virtual std::optional<PrinterSetupChoice> ChoosePrinterSetup(const PrinterSetupRequest& r);
    // Without a dialog of their own: the printer chooser, all pages once.
    virtual std::optional<PrintJobChoice> ChoosePrintJob(const PrintJobRequest& r);
    // False where nobody answers and every question takes its default: a
    // question that would keep a window open until answered must not wait.
    virtual bool Attended() const { return true; }
};

// The process's prompt; made on first use when none was installed.
Prompt& CurrentPrompt();
// Installs `p` (null: choose again on next use) and returns the previous one.
std::unique_ptr<Prompt> SetPrompt(std::unique_ptr<Prompt> p);

// Installs a prompt for a scope (tests) and restores the previous one.
class ScopedPrompt {
public:
    explicit ScopedPrompt(std::unique_ptr<Prompt> p);
    ~ScopedPrompt();
    ScopedPrompt(const ScopedPrompt&) = delete;
    ScopedPrompt& operator=(const ScopedPrompt&) = delete;

private:
    std::unique_ptr<Prompt> previous_;
};

// The answer a question gets when nobody is there to answer.
Answer DefaultAnswer(const Message& m);
// Its buttons in order, and their captions.
QList<Answer> ButtonsOf(Buttons b);
QString AnswerName(Answer a);
// The caption its button reads on screen.
QString AnswerCaption(Answer a);

void Inform(const QString& text, QWidget* parent = nullptr);
void Warn(const QString& text, QWidget* parent = nullptr);
void Error(const QString& text, QWidget* parent = nullptr);
Answer Ask(const QString& text, Buttons buttons, std::optional<Answer> def = std::nullopt,
           QWidget* parent = nullptr);

// Classic message-box style bits, for code that passes a style word.
enum : unsigned {
    MbOk = 0x0, MbOkCancel = 0x1, MbAbortRetryIgnore = 0x2, MbYesNoCancel = 0x3, MbYesNo = 0x4,
    MbRetryCancel = 0x5, MbIconStop = 0x10, MbIconQuestion = 0x20, MbIconExclamation = 0x30,
    MbIconInformation = 0x40, MbDefButton1 = 0x000, MbDefButton2 = 0x100, MbDefButton3 = 0x200,
};
Message MessageFromStyle(const QString& text, unsigned style);
// Asks through prompt() and returns the classic result code.
int MessageBox(const QString& text, unsigned style = MbOk | MbIconExclamation);

} // namespace nv::ui
