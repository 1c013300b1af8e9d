#pragma once
#include <QString>
#include <QStringList>

namespace nv::viewer {

// What the program was asked to do. Switches start with '/' or '-', in any
// case; only the known ones are switches, so "/home/u/a.tvd" is a path.
struct CommandLine {
    enum class Action { Nothing, Open, Print, PrintTo, Dde, Embedded, Register, Unregister };
    Action action = Action::Nothing;
    QString path{};     // the first path given
    QString printer{};  // /pt: printer name, or "pdf:<file>"
    QString driver{};
    QString port{};

    // `args` without the program name.
    static CommandLine Parse(const QStringList& args);
    bool operator==(const CommandLine&) const = default;
};

// The file a command-line path names: as given, then with '\' read as '/',
// relative to `folder`; when neither exists, the path as given (opening it
// then reports why). Empty for an empty path.
QString ResolveDocumentPath(const QString& path, const QString& folder);

} // namespace nv::viewer
