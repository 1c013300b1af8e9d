#pragma once
// Start-up and exit of the viewer, apart from the event loop so that tests
// drive the real main window.
#include <QString>
#include <QStringList>

#include <memory>

#include "Viewer/CommandLine.h"
#include "Viewer/ViewerOptions.h"

namespace nv::viewer {

class MainFrame;

class PagelookApp {
public:
    static constexpr int kContinue = -1;

    PagelookApp();
    // Stops the picture engine and removes the temporary files.
    ~PagelookApp();
    PagelookApp(const PagelookApp&) = delete;
    PagelookApp& operator=(const PagelookApp&) = delete;

    // Names the program for its windows and dialogs and gives them its
    // icon. The windows carry the name in their own titles: no display
    // name, which the platform would add to every title once more.
    static void NameProgram();

    // Needs the QApplication. Returns kContinue when the main window is up
    // and the event loop should run, else the exit code: 2 for what Linux
    // cannot do, 1 when the named document could not be opened.
    int Start(const QStringList& args, const QString& currentFolder);

    MainFrame* Frame() const { return frame_.get(); }
    const ViewerOptions& Options() const { return options_; }
    const CommandLine& Command() const { return command_; }
    int ScreenDpi() const { return dpi_; }

private:
    ViewerOptions options_;
    CommandLine command_;
    int dpi_ = 96;
    bool enginesStarted_ = false;
    std::unique_ptr<MainFrame> frame_;
};

} // namespace nv::viewer
