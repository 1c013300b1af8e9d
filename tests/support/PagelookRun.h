#pragma once
// The viewer program run to its end, as a script or the journals start it:
// offscreen, prompts answered with their defaults, settings in `home`.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace nvtest {

struct PagelookRun {
    bool finished = false;
    int exitCode = -1;
    std::string stderrText;
};

// Starts the viewer in `proc` without waiting for it.
inline void StartPagelook(QProcess& proc, const QStringList& args, const QString& home, const QString& folder = {},
                          const std::vector<std::pair<QString, QString>>& extraEnv = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("NIVALO_PROMPTS", "auto");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    for (const auto& [name, value] : extraEnv) env.insert(name, value);
    proc.setProcessEnvironment(env);
    proc.setWorkingDirectory(folder.isEmpty() ? home : folder);
    proc.start(NV_BINARY_DIR "/bin/pagelook", args);
}

inline PagelookRun RunPagelook(const QStringList& args, const QString& home, const QString& folder = {},
                               const std::vector<std::pair<QString, QString>>& extraEnv = {})
{
    QProcess proc;
    StartPagelook(proc, args, home, folder, extraEnv);
    PagelookRun run;
    run.finished = proc.waitForFinished(60000);
    run.exitCode = proc.exitCode();
    run.stderrText = proc.readAllStandardError().toStdString();
    return run;
}

} // namespace nvtest
