#include "support/TestApp.h"
#include <gtest/gtest.h>

#include <filesystem>

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QAbstractProxyModel>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTreeView>

#include <fstream>

#include "support/TempDir.h"

#include "platform/ui/AutoPrompt.h"
#include "platform/ui/QtPrompt.h"
#include "platform/ui/QtTranslation.h"
#include "platform/ui/ScriptedPrompt.h"

using namespace nv::ui;

namespace {

void EnsureApp() { nvtest::EnsureWidgetApp(); }

struct StyleCase {
    unsigned style;
    Buttons buttons;
    Icon icon;
    Answer def;
    int code;  // what messageBox returns unattended
};

TEST(Prompt, StyleWordsGiveButtonsIconAndDefault)
{
    const StyleCase cases[] = {
        {MbOk, Buttons::Ok, Icon::None, Answer::Ok, 1},
        {MbOk | MbIconExclamation, Buttons::Ok, Icon::Warning, Answer::Ok, 1},
        {MbOkCancel | MbIconStop | MbDefButton2, Buttons::OkCancel, Icon::Error, Answer::Cancel, 2},
        {MbYesNo | MbIconQuestion, Buttons::YesNo, Icon::Question, Answer::Yes, 6},
        {MbYesNo | MbIconQuestion | MbDefButton2, Buttons::YesNo, Icon::Question, Answer::No, 7},
        {MbYesNoCancel | MbDefButton3, Buttons::YesNoCancel, Icon::None, Answer::Cancel, 2},
        {MbAbortRetryIgnore | MbDefButton2 | MbIconInformation, Buttons::AbortRetryIgnore,
         Icon::Information, Answer::Retry, 4},
        {MbRetryCancel, Buttons::RetryCancel, Icon::None, Answer::Retry, 4},
        // A default button past the last one, and unknown button kinds, fall back.
        {MbYesNo | MbDefButton3, Buttons::YesNo, Icon::None, Answer::Yes, 6},
        {0x9, Buttons::Ok, Icon::None, Answer::Ok, 1},
    };
    ScopedPrompt scope(std::make_unique<ScriptedPrompt>());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        const Message m = MessageFromStyle("t", c.style);
        EXPECT_EQ(m.buttons, c.buttons);
        EXPECT_EQ(m.icon, c.icon);
        EXPECT_EQ(DefaultAnswer(m), c.def);
        EXPECT_EQ(MessageBox("t", c.style), c.code);
    }
}

TEST(Prompt, DefaultNotAmongTheButtonsIsTheFirst)
{
    Message m;
    m.buttons = Buttons::YesNo;
    m.defaultAnswer = Answer::Cancel;
    EXPECT_EQ(DefaultAnswer(m), Answer::Yes);
}

TEST(Prompt, ScriptedRecordsAndAnswersFromItsQueue)
{
    auto owned = std::make_unique<ScriptedPrompt>();
    auto& s = *owned;
    ScopedPrompt scope(std::move(owned));
    s.Then(Answer::No).Then(std::optional<QString>("/tmp/x.tvd")).Then(std::optional<QString>());
    EXPECT_EQ(Ask("Save?", Buttons::YesNoCancel), Answer::No);
    EXPECT_EQ(CurrentPrompt().ChooseFile({.mode = FileMode::Open, .title = "Open"}), QString("/tmp/x.tvd"));
    EXPECT_EQ(CurrentPrompt().ChooseFolder({.title = "Where", .proposed = "/tmp"}), std::nullopt);
    // Queue empty: defaults, as unattended.
    EXPECT_EQ(Ask("Again?", Buttons::YesNo, Answer::No), Answer::No);
    Warn("careful");
    EXPECT_EQ(CurrentPrompt().ChooseFolder({.title = "Where", .proposed = "/tmp"}), QString("/tmp"));
    ASSERT_EQ(s.AllAsked().size(), 6u);
    EXPECT_EQ(s.Messages(), (QStringList{"Save?", "Again?", "careful"}));
    EXPECT_EQ(s.AllAsked()[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(s.AllAsked()[3].defaultAnswer, Answer::No);
    EXPECT_EQ(s.AllAsked()[4].icon, Icon::Warning);
    EXPECT_EQ(s.AllAsked()[1].kind, ScriptedPrompt::Kind::File);
}

TEST(Prompt, ScriptOutOfStepIsReported)
{
    auto owned = std::make_unique<ScriptedPrompt>();
    auto& s = *owned;
    ScopedPrompt scope(std::move(owned));
    s.Then(Answer::Retry);
    EXPECT_THROW(Ask("?", Buttons::YesNo), std::logic_error);
    s.Then(Answer::Ok);
    EXPECT_THROW(CurrentPrompt().ChooseFile({}), std::logic_error);
}

TEST(Prompt, ScopedPromptRestoresThePrevious)
{
    auto outer = std::make_unique<ScriptedPrompt>();
    Prompt* outerPtr = outer.get();
    ScopedPrompt a(std::move(outer));
    {
        ScopedPrompt b(std::make_unique<ScriptedPrompt>());
        EXPECT_NE(&CurrentPrompt(), outerPtr);
    }
    EXPECT_EQ(&CurrentPrompt(), outerPtr);
}

TEST(Prompt, AutoTakesDefaultsAndLogsEachOnOneLine)
{
    AutoPrompt p;
    Message m;
    m.text = "line one\nline two";
    m.buttons = Buttons::YesNo;
    m.defaultAnswer = Answer::No;
    testing::internal::CaptureStderr();
    EXPECT_EQ(p.Ask(m), Answer::No);
    EXPECT_EQ(p.ChooseFile({.mode = FileMode::Save, .title = "Save as", .proposed = "/tmp/out",
                            .defaultSuffix = "pdf"}),
              QString("/tmp/out.pdf"));
    EXPECT_EQ(p.ChooseFile({.mode = FileMode::Open, .title = "Open", .proposed = "/tmp"}), std::nullopt);
    EXPECT_EQ(p.ChoosePrinter({.title = "Printer", .proposed = "pdf:/tmp/a.pdf"}), QString("pdf:/tmp/a.pdf"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log,
              "prompt message: line one\\nline two -> No\n"
              "prompt save file: Save as -> /tmp/out.pdf\n"
              "prompt open file: Open -> (cancel)\n"
              "prompt printer: Printer -> pdf:/tmp/a.pdf\n");
}

TEST(Prompt, EnvironmentChoosesAutoAndNeverBlocks)
{
    EnsureApp();
    setenv("NIVALO_PROMPTS", "auto", 1);
    auto previous = SetPrompt(nullptr);
    EXPECT_NE(dynamic_cast<AutoPrompt*>(&CurrentPrompt()), nullptr);
    unsetenv("NIVALO_PROMPTS");
    // Offscreen: nobody could answer a dialog either.
    SetPrompt(nullptr);
    EXPECT_NE(dynamic_cast<AutoPrompt*>(&CurrentPrompt()), nullptr);
    SetPrompt(std::move(previous));
}

TEST(Prompt, QtDialogReturnsTheButtonPressed)
{
    EnsureApp();
    QtPrompt p;
    Message m;
    m.text = "Delete?";
    m.buttons = Buttons::YesNoCancel;
    m.defaultAnswer = Answer::Cancel;
    QString seenText;
    bool wasDefault = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        wasDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(p.Ask(m), Answer::No);
    EXPECT_EQ(seenText, "Delete?");
    EXPECT_TRUE(wasDefault);
}

TEST(Prompt, QtDialogButtonsAndQtsOwnTextsReadJapanese)
{
    EnsureApp();
    ASSERT_TRUE(LoadQtTranslation(*QApplication::instance()));
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    // What the file and print dialogs and the menus show that Qt's own
    // translation leaves in English.
    const QString folder = QString::fromStdString(std::filesystem::temp_directory_path().string());
    const struct { QString seen; const char* japanese; } texts[] = {
        {QCoreApplication::translate("QPrintSettingsOutput", "Pages"), "ページ指定"},
        {QAbstractFileIconProvider().type(QFileInfo(folder)), "フォルダー"},
        {QMimeDatabase().mimeTypeForFile(QStringLiteral("補助簿DB.MDB"), QMimeDatabase::MatchExtension).comment(),
         "JET データベース"},
        {QLocale().formattedDataSize(919), "919 バイト"},
        {QKeySequence(Qt::Key_PageDown).toString(QKeySequence::NativeText), "PgDn"},
    };
    for (const auto& t : texts) EXPECT_EQ(t.seen, QString::fromUtf8(t.japanese));
    QtPrompt p;
    const struct { Buttons buttons; QStringList captions; } cases[] = {
        {Buttons::OkCancel, {"OK", "キャンセル"}},
        {Buttons::YesNo, {"はい", "いいえ"}},
    };
    for (const auto& c : cases) {
        Message m;
        m.text = "t";
        m.buttons = c.buttons;
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* b : box->buttons()) seen << b->text();
            box->buttons().front()->click();
        });
        p.Ask(m);
        seen.sort();
        QStringList want = c.captions;
        want.sort();
        EXPECT_EQ(seen, want);
    }
}

} // namespace

#include <dlfcn.h>

namespace {

TEST(Prompt, APluginLoadedAtRunTimeAsksThroughTheProgramsPrompt)
{
    auto owned = std::make_unique<ScriptedPrompt>();
    auto& s = *owned;
    ScopedPrompt scope(std::move(owned));
    s.Then(Answer::No);
    void* module = dlopen(NV_PROMPT_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto ask = reinterpret_cast<int (*)()>(dlsym(module, "nv_test_plugin_ask"));
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(ask(), int(Answer::No));
    EXPECT_EQ(s.Messages(), QStringList{"from the plug-in"});
    dlclose(module);
}

// Print setup offers printer, paper and orientation; another printer keeps
// the paper when it has it.
TEST(Prompt, QtPrinterSetupChoosesPrinterPaperAndOrientation)
{
    EnsureApp();
    QtPrompt p;
    PrinterSetupRequest r;
    r.title = "プリンタの設定";
    r.proposed = {"Office", 9, "A4", 2100, 2970, 1};
    r.printers = {PrinterOffer{"Office", {{9, "A4", 2100, 2970}, {8, "A3", 2970, 4200}}},
                  PrinterOffer{"PDFファイル", {{9, "A4", 2100, 2970}, {13, "B5 (JIS)", 1820, 2570}, {8, "A3", 2970, 4200}}}};
    QStringList papers;
    QTimer::singleShot(0, [&] {
        QWidget* d = QApplication::activeModalWidget();
        ASSERT_NE(d, nullptr);
        auto* printer = d->findChild<QComboBox*>("printer");
        auto* paper = d->findChild<QComboBox*>("paper");
        ASSERT_TRUE(printer && paper);
        paper->setCurrentIndex(1);
        printer->setCurrentIndex(1);
        for (int i = 0; i < paper->count(); ++i) papers << paper->itemText(i);
        EXPECT_EQ(paper->currentText(), "A3");
        d->findChild<QRadioButton*>("landscape")->click();
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const auto c = p.ChoosePrinterSetup(r);
    ASSERT_TRUE(c);
    EXPECT_EQ(papers, (QStringList{"A4", "B5 (JIS)", "A3"}));
    EXPECT_EQ(*c, (PrinterSetupChoice{"PDFファイル", 8, "A3", 2970, 4200, 2}));
}

} // namespace

namespace {

TEST(Prompt, QtFileChooserShowsWholeColumnsAndJapaneseSizesAndDates)
{
    EnsureApp();
    nvtest::TempDir dir;
    const std::string file = dir.file("補助簿DBバックアップ12-10-2026.MDB");
    { std::ofstream(file) << "x"; }
    QtPrompt p;
    QStringList faults;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        // The detailed list: the tree that shows the chooser's own files.
        QTreeView* view = nullptr;
        if (dlg)
            for (QTreeView* v : dlg->findChildren<QTreeView*>())
                if (v->model() == dlg->proxyModel()) view = v;
        auto* files = view ? qobject_cast<QFileSystemModel*>(dlg->proxyModel()->sourceModel()) : nullptr;
        if (!files) {
            faults << "no chooser with a list of files";
            if (dlg) dlg->reject();
            return;
        }
        const auto unreadable = [view] {
            QStringList found;
            if (view->model()->rowCount(view->rootIndex()) == 0) return QStringList{"no file listed"};
            const QString date = view->model()->index(0, 3, view->rootIndex()).data().toString();
            if (!QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}$")).match(date).hasMatch())
                found << "date " + date;
            const QString size = view->model()->index(0, 1, view->rootIndex()).data().toString();
            if (size != QStringLiteral("1 バイト")) found << "size " + size;
            const QAbstractItemView* asView = view;
            for (int c = 0; c < 4; ++c)
                if (asView->sizeHintForColumn(c) > view->columnWidth(c))
                    found << QStringLiteral("column %1 needs %2, has %3")
                                 .arg(c)
                                 .arg(asView->sizeHintForColumn(c))
                                 .arg(view->columnWidth(c));
            return found;
        };
        // The columns are sized when the folder has been listed: a chooser
        // that has listed it already is looked at now, else when it has.
        if (unreadable().isEmpty()) {
            dlg->reject();
            return;
        }
        const QString folder = files->filePath(dlg->proxyModel()->mapToSource(view->rootIndex()));
        QObject::connect(files, &QFileSystemModel::directoryLoaded, dlg, [&faults, dlg, unreadable, folder](const QString& path) {
            if (path != folder) return;
            faults << unreadable();
            dlg->reject();
        });
        // Only a bound for a chooser that never lists the folder.
        QTimer::singleShot(30000, dlg, [&faults, dlg] {
            faults << "the folder was never listed";
            dlg->reject();
        });
    });
    EXPECT_EQ(p.ChooseFile({.mode = FileMode::Save, .title = "保存", .proposed = QString::fromStdString(dir.file(""))}),
              std::nullopt);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}

} // namespace
