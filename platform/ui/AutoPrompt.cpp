#include "platform/ui/AutoPrompt.h"

#include <QFileInfo>
#include <QPrinterInfo>

#include <cstdio>

namespace nv::ui {

namespace {

QString OneLine(QString s) { return s.replace('\n', "\\n"); }

void Log(const QString& kind, const QString& text, const QString& answer)
{
    const QByteArray line = ("prompt " + kind + ": " + OneLine(text) + " -> " + answer + "\n").toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QString Shown(const std::optional<QString>& v) { return v ? *v : QStringLiteral("(cancel)"); }

} // namespace

std::optional<QString> DefaultChoice(const FileRequest& r)
{
    // A folder alone names no file to open or save.
    if (r.proposed.isEmpty() || QFileInfo(r.proposed).isDir()) return std::nullopt;
    QString path = r.proposed;
    if (r.mode == FileMode::Save && !r.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += "." + r.defaultSuffix;
    return path;
}

std::optional<QString> DefaultChoice(const FolderRequest& r)
{
    if (r.proposed.isEmpty()) return std::nullopt;
    return r.proposed;
}

std::optional<QString> DefaultChoice(const PrinterRequest& r)
{
    if (!r.proposed.isEmpty()) return r.proposed;
    const QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty()) return std::nullopt;
    return name;
}

Answer AutoPrompt::Ask(const Message& m)
{
    const Answer a = DefaultAnswer(m);
    Log("message", m.title.isEmpty() ? m.text : m.title + ": " + m.text, AnswerName(a));
    return a;
}

std::optional<QString> AutoPrompt::ChooseFile(const FileRequest& r)
{
    auto v = DefaultChoice(r);
    Log(r.mode == FileMode::Save ? "save file" : "open file", r.title, Shown(v));
    return v;
}

std::optional<QString> AutoPrompt::ChooseFolder(const FolderRequest& r)
{
    auto v = DefaultChoice(r);
    Log("folder", r.title, Shown(v));
    return v;
}

std::optional<QString> AutoPrompt::ChoosePrinter(const PrinterRequest& r)
{
    auto v = DefaultChoice(r);
    Log("printer", r.title, Shown(v));
    return v;
}

} // namespace nv::ui
