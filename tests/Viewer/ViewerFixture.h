#pragma once
// The real viewer started in-process on sample documents, its options in a
// fresh folder and every prompt answered by script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <memory>

#include "SampleDocs.h"
#include "Viewer/MainFrame.h"
#include "Viewer/PagelookApp.h"
#include "Viewer/PagelookView.h"
#include "platform/ui/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace nvtest {

inline void EnsureWidgetsApp()
{
    static int argc = 1;
    static char name[] = "viewertest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: fonts and images kept in statics must not outlive it.
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// Runs `f` on the modal dialog of type D once it is up.
template <class D>
void WhenModal(std::function<void(D&)> f, int tries = 200)
{
    QTimer::singleShot(5, [f, tries] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) f(*d);
        else if (tries > 0) WhenModal<D>(f, tries - 1);
        else ADD_FAILURE() << "no dialog came up";
    });
}

inline QPushButton* ButtonOf(QDialog& d, const QString& text)
{
    for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

class ViewerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetsApp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(dir.file("config")));
        auto p = std::make_unique<nv::ui::ScriptedPrompt>();
        prompts = p.get();
        scope = std::make_unique<nv::ui::ScopedPrompt>(std::move(p));
    }

    void TearDown() override
    {
        app.reset();
        scope.reset();
    }

    // A sample document in the test folder.
    QString Sample(const std::string& name, const nv::samples::SampleSpec& spec = {})
    {
        const std::string path = dir.file(name);
        nv::samples::WriteSampleDoc(path, spec);
        return QString::fromStdString(path);
    }

    // Starts the viewer as the program would; the exit code or kContinue.
    int Start(const QStringList& args = {})
    {
        app = std::make_unique<nv::viewer::PagelookApp>();
        return app->Start(args, QString::fromStdString(dir.path().string()));
    }

    nv::viewer::MainFrame& Frame() { return *app->Frame(); }
    nv::viewer::PagelookView* View() { return Frame().ActiveView(); }

    // Sizes the active view so that its viewport is w x h without scroll bars.
    void SizeViewport(int w, int h)
    {
        nv::viewer::PagelookView* v = View();
        QMdiSubWindow* sub = Frame().MdiArea()->activeSubWindow();
        Frame().resize(std::max(Frame().width(), w + 400), std::max(Frame().height(), h + 300));
        sub->resize(sub->size() - v->size() + QSize(w, h));
        QCoreApplication::processEvents();
        ASSERT_EQ(v->maximumViewportSize(), QSize(w, h));
    }

    void Trigger(int id)
    {
        QAction* a = Frame().Action(id);
        ASSERT_NE(a, nullptr) << id;
        ASSERT_TRUE(a->isEnabled()) << id;
        a->trigger();
        // Scroll bars come and go on the next turn of the event loop.
        QCoreApplication::processEvents();
    }

    TempDir dir;
    nv::ui::ScriptedPrompt* prompts = nullptr;
    std::unique_ptr<nv::ui::ScopedPrompt> scope;
    std::unique_ptr<nv::viewer::PagelookApp> app;
};

} // namespace nvtest
