#pragma once
#include "platform/ui/Prompt.h"

#include <deque>
#include <stdexcept>
#include <variant>
#include <vector>

namespace nv::ui {

// For tests: records every request and answers from a queue; with the queue
// empty it takes the default, as an unattended run would.
// A script out of step with the screen it answers: a fault of the test.
class ScriptMismatch : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class ScriptedPrompt : public Prompt {
public:
    enum class Kind { Message, File, Folder, Printer, PrinterSetup, PrintJob };
    struct Asked {
        Kind kind;
        QString text;      // message text, or the chooser's title
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer defaultAnswer = Answer::Ok;
        QString proposed;  // choosers
        QString title{};   // messages
    };
    // A button for a message; a path or printer (nullopt: cancel) for a chooser.
    using Reply = std::variant<Answer, std::optional<QString>>;

    ScriptedPrompt& Then(Reply r) { replies_.push_back(std::move(r)); return *this; }
    // Answers for the print-setup and print dialogs, in their own queues;
    // with none queued they fall back to the printer chooser.
    ScriptedPrompt& ThenSetup(std::optional<PrinterSetupChoice> c) { setups_.push_back(std::move(c)); return *this; }
    ScriptedPrompt& ThenJob(std::optional<PrintJobChoice> c) { jobs_.push_back(std::move(c)); return *this; }

    Answer Ask(const Message& m) override;
    std::optional<QString> ChooseFile(const FileRequest& r) override;
    std::optional<QString> ChooseFolder(const FolderRequest& r) override;
    std::optional<QString> ChoosePrinter(const PrinterRequest& r) override;
    std::optional<PrinterSetupChoice> ChoosePrinterSetup(const PrinterSetupRequest& r) override;
    std::optional<PrintJobChoice> ChoosePrintJob(const PrintJobRequest& r) override;

    const std::vector<Asked>& AllAsked() const { return asked_; }
    // The message texts asked so far, in order.
    QStringList Messages() const;
    size_t PendingReplies() const { return replies_.size(); }
    void Clear() { asked_.clear(); replies_.clear(); setups_.clear(); jobs_.clear(); }

private:
    std::optional<QString> Choose(Kind kind, const QString& title, const QString& proposed,
                                  std::optional<QString> def);

    std::deque<Reply> replies_;
    std::deque<std::optional<PrinterSetupChoice>> setups_;
    std::deque<std::optional<PrintJobChoice>> jobs_;
    std::vector<Asked> asked_;
};

} // namespace nv::ui
