#include "Viewer/CommandLine.h"

#include <QDir>
#include <QFileInfo>

namespace nv::viewer {

namespace {

using Action = CommandLine::Action;

struct Switch {
    const char* name;
    Action action;
};

constexpr Switch kSwitches[] = {
    {"p", Action::Print},           {"pt", Action::PrintTo},         {"dde", Action::Dde},
    {"Embedding", Action::Embedded}, {"Automation", Action::Embedded}, {"Register", Action::Register},
    {"Regserver", Action::Register}, {"Unregister", Action::Unregister}, {"Unregserver", Action::Unregister},
};

const Switch* FindSwitch(const QString& arg)
{
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return nullptr;
    const QString name = arg.mid(1);
    for (const auto& s : kSwitches)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

} // namespace

CommandLine CommandLine::Parse(const QStringList& args)
{
    CommandLine c;
    QStringList params;
    bool embedded = false;
    for (const QString& a : args) {
        // An empty argument names nothing (a caller's empty variable).
        if (a.isEmpty()) continue;
        if (const Switch* s = FindSwitch(a)) {
            // Running embedded outranks everything else asked.
            if (s->action == Action::Embedded) embedded = true;
            else if (c.action == Action::Nothing || c.action == Action::Open) c.action = s->action;
            continue;
        }
        params << a;
    }
    if (!params.isEmpty()) {
        c.path = params[0];
        if (c.action == Action::Nothing) c.action = Action::Open;
        if (c.action == Action::PrintTo) {
            c.printer = params.value(1);
            c.driver = params.value(2);
            c.port = params.value(3);
        }
    } else if (c.action == Action::Print || c.action == Action::PrintTo || c.action == Action::Dde) {
        // Nothing to print: the main window alone.
        c.action = Action::Nothing;
    }
    if (embedded) {
        // Nothing is printed embedded, so no printer is named.
        c.action = Action::Embedded;
        c.printer.clear();
        c.driver.clear();
        c.port.clear();
    }
    return c;
}

QString ResolveDocumentPath(const QString& path, const QString& folder)
{
    if (path.isEmpty()) return {};
    const QDir base(folder);
    for (const QString& candidate : {path, QString(path).replace('\\', '/')}) {
        const QFileInfo fi(base, candidate);
        if (fi.isFile()) return fi.absoluteFilePath();
    }
    return QFileInfo(base, path).absoluteFilePath();
}

} // namespace nv::viewer
