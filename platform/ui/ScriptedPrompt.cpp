#include "platform/ui/ScriptedPrompt.h"

#include "platform/ui/AutoPrompt.h"


namespace nv::ui {

Answer ScriptedPrompt::Ask(const Message& m)
{
    asked_.push_back({Kind::Message, m.text, m.icon, m.buttons, DefaultAnswer(m), {}, m.title});
    if (replies_.empty()) return DefaultAnswer(m);
    Reply r = std::move(replies_.front());
    replies_.pop_front();
    // A script out of step with the screen is a test fault worth stopping on.
    const Answer* a = std::get_if<Answer>(&r);
    if (!a) throw ScriptMismatch("scripted prompt: a chooser reply given to a message");
    if (!ButtonsOf(m.buttons).contains(*a))
        throw ScriptMismatch("scripted prompt: the message has no such button");
    return *a;
}

std::optional<QString> ScriptedPrompt::Choose(Kind kind, const QString& title, const QString& proposed,
                                              std::optional<QString> def)
{
    asked_.push_back({kind, title, Icon::None, Buttons::OkCancel, Answer::Ok, proposed});
    if (replies_.empty()) return def;
    Reply r = std::move(replies_.front());
    replies_.pop_front();
    auto* v = std::get_if<std::optional<QString>>(&r);
    if (!v) throw ScriptMismatch("scripted prompt: a button given to a chooser");
    return *v;
}

std::optional<QString> ScriptedPrompt::ChooseFile(const FileRequest& r)
{
    return Choose(Kind::File, r.title, r.proposed, DefaultChoice(r));
}

std::optional<QString> ScriptedPrompt::ChooseFolder(const FolderRequest& r)
{
    return Choose(Kind::Folder, r.title, r.proposed, DefaultChoice(r));
}

std::optional<QString> ScriptedPrompt::ChoosePrinter(const PrinterRequest& r)
{
    return Choose(Kind::Printer, r.title, r.proposed, DefaultChoice(r));
}

QStringList ScriptedPrompt::Messages() const
{
    QStringList out;
    for (const auto& a : asked_)
        if (a.kind == Kind::Message) out << a.text;
    return out;
}

std::optional<PrinterSetupChoice> ScriptedPrompt::ChoosePrinterSetup(const PrinterSetupRequest& r)
{
    if (setups_.empty()) return Prompt::ChoosePrinterSetup(r);
    asked_.push_back({Kind::PrinterSetup, r.title, Icon::None, Buttons::OkCancel, Answer::Ok, r.proposed.printer});
    const bool answered = setups_.front().has_value();
    const PrinterSetupChoice c = answered ? *setups_.front() : PrinterSetupChoice{};
    setups_.pop_front();
    if (!answered) return std::nullopt;
    return c;
}

std::optional<PrintJobChoice> ScriptedPrompt::ChoosePrintJob(const PrintJobRequest& r)
{
    if (jobs_.empty()) return Prompt::ChoosePrintJob(r);
    asked_.push_back({Kind::PrintJob, r.title, Icon::None, Buttons::OkCancel, Answer::Ok, r.printer});
    const bool answered = jobs_.front().has_value();
    const PrintJobChoice c = answered ? *jobs_.front() : PrintJobChoice{};
    jobs_.pop_front();
    if (!answered) return std::nullopt;
    return c;
}

} // namespace nv::ui
