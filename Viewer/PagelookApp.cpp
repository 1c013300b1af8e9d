#include "Viewer/PagelookApp.h"

#include "Viewer/MainFrame.h"
#include "Viewer/ShellPrint.h"
#include "engine/core/AppException.h"
#include "engine/core/TempFileManager.h"
#include "engine/render/ImageDrawer.h"
#include "platform/core/Cp932.h"
#include "platform/ui/ProgramIcon.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <cstdio>

namespace nv::viewer {

namespace {
void Say(const char* text)
{
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}
} // namespace

PagelookApp::PagelookApp() = default;

void PagelookApp::NameProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("TaveloViewer"));
    QApplication::setWindowIcon(ui::ProgramIcon(QStringLiteral("pagelook")));
}

PagelookApp::~PagelookApp()
{
    m_frame.reset();
    if (m_enginesStarted) {
        TermImageDrawing();
    }
    TempFileManager::Instance().RemoveAll();
    SetMessageBoxHandler(nullptr);
}

int PagelookApp::Start(const QStringList& args, const QString& currentFolder)
{
    // Engine messages (CP932) reach people through the one prompt.
    SetMessageBoxHandler([](const std::string& text, unsigned style, unsigned) {
        return ui::messageBox(QString::fromUtf8(Cp932ToUtf8(text)), style);
    });
    TempFileManager::Instance().SetWorkFolder({});
    m_options = ViewerOptions::Load(*ViewerOptions::OpenSettings());

    m_command = CommandLine::Parse(args);
    using Action = CommandLine::Action;
    switch (m_command.action) {
    case Action::Embedded:
        // Nothing on Linux can embed the viewer; waiting would hang the caller.
        Say("pagelook: /Embedding and /Automation need an OLE container, which this system does not have.");
        return 2;
    case Action::Register:
    case Action::Unregister:
        Say("pagelook: nothing to register; the installed desktop file and MIME type announce the viewer.");
        return 0;
    default: break;
    }

    if (QScreen* screen = QGuiApplication::primaryScreen()) m_dpi = qRound(screen->logicalDotsPerInchY());
    if (m_dpi <= 0) m_dpi = 96;
    InitImageDrawing();
    m_enginesStarted = true;

    if (m_command.action == Action::Print || m_command.action == Action::PrintTo)
        return PrintWithoutWindow(m_command, ResolveDocumentPath(m_command.path, currentFolder));

    m_frame = std::make_unique<MainFrame>(m_options, m_dpi);
    if (!m_command.path.isEmpty()) {
        const QString path = ResolveDocumentPath(m_command.path, currentFolder);
        if (!m_frame->OpenDocument(path)) return 1;
    }
    if (m_options.mainViewMax == 1) m_frame->showMaximized();
    else m_frame->show();
    return kContinue;
}

} // namespace nv::viewer
