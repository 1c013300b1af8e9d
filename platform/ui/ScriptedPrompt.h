#pragma once
#include "platform/ui/Prompt.h"

#include <deque>
#include <variant>
#include <vector>

namespace nv::ui {

// For tests: records every request and answers from a queue; with the queue
// empty it takes the default, as an unattended run would.
class ScriptedPrompt : public Prompt {
public:
    enum class Kind { Message, File, Folder, Printer };
    struct Asked {
        Kind kind;
        QString text;      // message text, or the chooser's title
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer defaultAnswer = Answer::Ok;
        QString proposed;  // choosers
    };
    // A button for a message; a path or printer (nullopt: cancel) for a chooser.
    using Reply = std::variant<Answer, std::optional<QString>>;

    ScriptedPrompt& then(Reply r) { replies_.push_back(std::move(r)); return *this; }

    Answer ask(const Message& m) override;
    std::optional<QString> chooseFile(const FileRequest& r) override;
    std::optional<QString> chooseFolder(const FolderRequest& r) override;
    std::optional<QString> choosePrinter(const PrinterRequest& r) override;

    const std::vector<Asked>& asked() const { return asked_; }
    // The message texts asked so far, in order.
    QStringList messages() const;
    size_t pendingReplies() const { return replies_.size(); }
    void clear() { asked_.clear(); replies_.clear(); }

private:
    std::optional<QString> choose(Kind kind, const QString& title, const QString& proposed,
                                  std::optional<QString> def);

    std::deque<Reply> replies_;
    std::vector<Asked> asked_;
};

} // namespace nv::ui
