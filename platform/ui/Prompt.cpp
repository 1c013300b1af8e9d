#include "platform/ui/Prompt.h"

#include "platform/ui/AutoPrompt.h"
#include "platform/ui/QtPrompt.h"

#include <QGuiApplication>

#include <cstdlib>
#include <mutex>

namespace nv::ui {

namespace {

std::mutex& InstanceMutex()
{
    static std::mutex m;
    return m;
}

std::unique_ptr<Prompt>& Instance()
{
    static std::unique_ptr<Prompt> p;
    return p;
}

// Dialogs only where someone can see them; anything else must not block.
std::unique_ptr<Prompt> MakeDefault()
{
    const char* mode = std::getenv("NIVALO_PROMPTS");
    if (mode && QString::fromUtf8(mode).compare("auto", Qt::CaseInsensitive) == 0)
        return std::make_unique<AutoPrompt>();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::make_unique<AutoPrompt>();
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal")
        return std::make_unique<AutoPrompt>();
    return std::make_unique<QtPrompt>();
}

} // namespace

Prompt& CurrentPrompt()
{
    std::lock_guard lock(InstanceMutex());
    auto& p = Instance();
    if (!p) p = MakeDefault();
    return *p;
}

std::unique_ptr<Prompt> SetPrompt(std::unique_ptr<Prompt> p)
{
    std::lock_guard lock(InstanceMutex());
    std::swap(Instance(), p);
    return p;
}

ScopedPrompt::ScopedPrompt(std::unique_ptr<Prompt> p) : previous_(SetPrompt(std::move(p))) {}

ScopedPrompt::~ScopedPrompt() { SetPrompt(std::move(previous_)); }

QList<Answer> ButtonsOf(Buttons b)
{
    switch (b) {
    case Buttons::Ok: return {Answer::Ok};
    case Buttons::OkCancel: return {Answer::Ok, Answer::Cancel};
    case Buttons::AbortRetryIgnore: return {Answer::Abort, Answer::Retry, Answer::Ignore};
    case Buttons::YesNoCancel: return {Answer::Yes, Answer::No, Answer::Cancel};
    case Buttons::YesNo: return {Answer::Yes, Answer::No};
    case Buttons::RetryCancel: return {Answer::Retry, Answer::Cancel};
    }
    return {Answer::Ok};
}

Answer DefaultAnswer(const Message& m)
{
    const auto choices = ButtonsOf(m.buttons);
    if (m.defaultAnswer && choices.contains(*m.defaultAnswer)) return *m.defaultAnswer;
    return choices.front();
}

QString AnswerName(Answer a)
{
    switch (a) {
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Abort: return "Abort";
    case Answer::Retry: return "Retry";
    case Answer::Ignore: return "Ignore";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return "?";
}

QString AnswerCaption(Answer a)
{
    switch (a) {
    case Answer::Ok: return QStringLiteral("OK");
    case Answer::Cancel: return QStringLiteral("キャンセル");
    case Answer::Abort: return QStringLiteral("中止");
    case Answer::Retry: return QStringLiteral("再試行");
    case Answer::Ignore: return QStringLiteral("無視");
    case Answer::Yes: return QStringLiteral("はい");
    case Answer::No: return QStringLiteral("いいえ");
    }
    return {};
}

namespace {
void Tell(const QString& text, Icon icon, QWidget* parent)
{
    Message m;
    m.text = text;
    m.icon = icon;
    m.parent = parent;
    CurrentPrompt().Ask(m);
}
} // namespace

void Inform(const QString& text, QWidget* parent) { Tell(text, Icon::Information, parent); }
void Warn(const QString& text, QWidget* parent) { Tell(text, Icon::Warning, parent); }
void Error(const QString& text, QWidget* parent) { Tell(text, Icon::Error, parent); }

Answer Ask(const QString& text, Buttons buttons, std::optional<Answer> def, QWidget* parent)
{
    Message m;
    m.text = text;
    m.icon = Icon::Question;
    m.buttons = buttons;
    m.defaultAnswer = def;
    m.parent = parent;
    return CurrentPrompt().Ask(m);
}

Message MessageFromStyle(const QString& text, unsigned style)
{
    Message m;
    m.text = text;
    const unsigned kind = style & 0xF;
    m.buttons = kind <= 5 ? static_cast<Buttons>(kind) : Buttons::Ok;
    switch (style & 0xF0) {
    case MbIconStop: m.icon = Icon::Error; break;
    case MbIconQuestion: m.icon = Icon::Question; break;
    case MbIconExclamation: m.icon = Icon::Warning; break;
    case MbIconInformation: m.icon = Icon::Information; break;
    default: m.icon = Icon::None; break;
    }
    const auto choices = ButtonsOf(m.buttons);
    const unsigned index = (style >> 8) & 0xF;
    m.defaultAnswer = index < static_cast<unsigned>(choices.size()) ? choices[index] : choices.front();
    return m;
}

int MessageBox(const QString& text, unsigned style)
{
    return static_cast<int>(CurrentPrompt().Ask(MessageFromStyle(text, style)));
}

std::optional<PrinterSetupChoice> Prompt::ChoosePrinterSetup(const PrinterSetupRequest& r)
{
    const auto printer = ChoosePrinter({.title = r.title, .proposed = r.proposed.printer, .parent = r.parent});
    if (!printer) return std::nullopt;
    PrinterSetupChoice c = r.proposed;
    c.printer = *printer;
    return c;
}

std::optional<PrintJobChoice> Prompt::ChoosePrintJob(const PrintJobRequest& r)
{
    const auto printer = ChoosePrinter({.title = r.title, .proposed = r.printer, .parent = r.parent});
    if (!printer) return std::nullopt;
    return PrintJobChoice{.printer = *printer, .from = r.firstPage, .to = r.lastPage};
}

} // namespace nv::ui
