#include "ledger/journal/window/PreviewViewer.h"

#include "platform/core/Paths.h"
#include "platform/ui/Prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

namespace nv {

QString ViewerProgramPath(const QString& override)
{
    if (!override.isEmpty()) return override;
    const QString fromEnv = qEnvironmentVariable("NIVALO_PAGELOOK");
    if (!fromEnv.isEmpty()) return fromEnv;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(kViewerProgram);
    if (QFileInfo(beside).isExecutable()) return beside;
    return QStandardPaths::findExecutable(kViewerProgram);
}

bool RunViewer(const QString& program, const QString& document, QWidget* window,
               const std::function<void()>& started)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({document});
    process.setWorkingDirectory(QString::fromStdString(DataFolderPath()));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    if (program.isEmpty()) {
        ui::Warn(kViewerStartFailed, window);
        return false;
    }
    process.start();
    if (!process.waitForStarted()) {
        ui::Warn(QString(kViewerStartFailed) + "\n" + process.errorString(), window);
        return false;
    }
    if (started) started();
    // The window waits without blocking its own painting.
    QPointer<QWidget> guard(window);
    if (guard) guard->setEnabled(false);
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop, &process] {
            if (process.state() == QProcess::NotRunning) loop.quit();
        });
        loop.exec();
    }
    if (guard) guard->setEnabled(true);
    return true;
}

} // namespace nv
