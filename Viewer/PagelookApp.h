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

    MainFrame* Frame() const { return m_frame.get(); }
    const ViewerOptions& Options() const { return m_options; }
    const CommandLine& Command() const { return m_command; }
    int ScreenDpi() const { return m_dpi; }

private:
    ViewerOptions m_options;
    CommandLine m_command;
    int m_dpi = 96;
    bool m_enginesStarted = false;
    std::unique_ptr<MainFrame> m_frame;
};

} // namespace nv::viewer
