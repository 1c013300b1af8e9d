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
    frame_.reset();
    if (enginesStarted_) {
        TermImageDrawing();
    }
    TempFileManager::Instance().RemoveAll();
    SetMessageBoxHandler(nullptr);
}

int PagelookApp::Start(const QStringList& args, const QString& currentFolder)
{
    // Engine messages (CP932) reach people through the one prompt.
    SetMessageBoxHandler([](const std::string& text, unsigned style, unsigned) {
        return ui::MessageBox(QString::fromUtf8(Cp932ToUtf8(text)), style);
    });
    TempFileManager::Instance().SetWorkFolder({});
    options_ = ViewerOptions::Load(*ViewerOptions::OpenSettings());

    command_ = CommandLine::Parse(args);
    using Action = CommandLine::Action;
    switch (command_.action) {
    case Action::Embedded:
        // Nothing on Linux can embed the viewer; waiting would hang the caller.
        Say("pagelook: /Embedding と /Automation は、文書を埋め込むプログラムから起動するためのものですが、このシステムにはありません。");
        return 2;
    case Action::Register:
    case Action::Unregister:
        Say("pagelook: 登録するものはありません。ビューアはインストールの時にデスクトップに登録されています。");
        return 0;
    default: break;
    }

    if (QScreen* screen = QGuiApplication::primaryScreen()) dpi_ = qRound(screen->logicalDotsPerInchY());
    if (dpi_ <= 0) dpi_ = 96;
    InitImageDrawing();
    enginesStarted_ = true;

    if (command_.action == Action::Print || command_.action == Action::PrintTo)
        return PrintWithoutWindow(command_, ResolveDocumentPath(command_.path, currentFolder));

    frame_ = std::make_unique<MainFrame>(options_, dpi_);
    if (!command_.path.isEmpty()) {
        const QString path = ResolveDocumentPath(command_.path, currentFolder);
        if (!frame_->OpenDocument(path)) return 1;
    }
    if (options_.mainViewMax == 1) frame_->showMaximized();
    else frame_->show();
    return kContinue;
}

} // namespace nv::viewer
