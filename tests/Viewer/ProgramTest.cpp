#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "SampleDocs.h"
#include "engine/core/UserFolder.h"
#include "support/TestUserFolder.h"
#include "support/TempDir.h"

namespace {

// The installed program, run as a journal runs it: offscreen, every prompt
// answered with its default and logged.
class Program : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(Home() + "/config"); }

    QString Home() const { return QString::fromStdString(dir.path().string()); }

    void Run(const QStringList& args, const QString& folder = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("NIVALO_PROMPTS", "auto");
        env.insert("XDG_CONFIG_HOME", Home() + "/config");
        proc.setProcessEnvironment(env);
        proc.setWorkingDirectory(folder.isEmpty() ? Home() : folder);
        proc.start(NV_BINARY_DIR "/bin/pagelook", args);
        ASSERT_TRUE(proc.waitForStarted(10000));
    }

    // Still running after a while, having said nothing: the window is up.
    void ExpectRunningQuietly()
    {
        EXPECT_FALSE(proc.waitForFinished(1500)) << proc.readAllStandardError().toStdString();
        EXPECT_EQ(proc.state(), QProcess::Running);
        EXPECT_EQ(proc.readAllStandardError().count("prompt "), 0);
        proc.kill();
        proc.waitForFinished(5000);
    }

    nvtest::TempDir dir;
    QProcess proc;
};

TEST_F(Program, OpensAnAbsolutePath)
{
    const std::string path = dir.file("five.tvd");
    nv::samples::WriteSampleDoc(path, {});
    Run({QString::fromStdString(path)});
    ExpectRunningQuietly();
}

TEST_F(Program, OpensARelativePathWrittenWithBackslashes)
{
    QDir(Home()).mkpath("PRINT");
    nv::samples::WriteSampleDoc(dir.file("PRINT/仕入元帳.tvd"), {});
    Run({"PRINT\\仕入元帳.tvd"});
    ExpectRunningQuietly();
}

TEST_F(Program, WithoutArgumentsOpensNothing)
{
    Run({});
    ExpectRunningQuietly();
}

// Nothing here can embed the viewer: the caller learns why and is not kept
// waiting for a window.
TEST_F(Program, EmbeddingExitsAtOnce)
{
    for (const char* arg : {"/Embedding", "/Automation"}) {
        SCOPED_TRACE(arg);
        Run({arg});
        ASSERT_TRUE(proc.waitForFinished(10000));
        EXPECT_EQ(proc.exitCode(), 2);
        const QString err = QString::fromUtf8(proc.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("/Embedding と /Automation は、文書を埋め込むプログラムから起動するためのもの")))
            << err.toStdString();
    }
}

TEST_F(Program, ADocumentThatCannotBeOpenedIsReportedAndTheProcessEnds)
{
    nvtest::WriteFileBytes(dir.path() / "text.tvd", "plain text");
    QDir(Home()).mkpath("x.tvd");
    for (const QString& arg : {QString("text.tvd"), QString("missing.tvd"), QString("x.tvd")}) {
        SCOPED_TRACE(arg.toStdString());
        Run({arg});
        ASSERT_TRUE(proc.waitForFinished(10000));
        EXPECT_EQ(proc.exitCode(), 1);
        const QString err = QString::fromUtf8(proc.readAllStandardError());
        EXPECT_TRUE(err.contains("prompt message: ")) << err.toStdString();
        EXPECT_TRUE(err.contains(" -> OK")) << err.toStdString();
        // Which file and why stay in the program's log in the per-user
        // folder (a long run may have moved them to the next file).
        const QString path = Home() + "/" + arg;
        QString log;
        nv::SetUserFolder({});   // the program's, not this test's
        const std::string folder = nv::UserFolder();
        nv::SetUserFolder(nvtest::TestUserFolder());
        for (const char* file : {"pagelook.log", "pagelook.log.1"}) {
            QFile f(QString::fromStdString(folder + "/" + file));
            if (f.open(QIODevice::ReadOnly)) log += QString::fromUtf8(f.readAll());
        }
        EXPECT_TRUE(log.contains("Pagelook: ドキュメント " + path + " を開けません: ")) << log.right(2000).toStdString();
    }
}

TEST_F(Program, DesktopFileAndMimeTypeValidateAndInstall)
{
    const QString desktop = NV_SOURCE_DIR "/Viewer/pagelook.desktop";
    const QString mime = NV_SOURCE_DIR "/Viewer/pagelook-mime.xml";
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
        EXPECT_EQ(QProcess::execute("desktop-file-validate", {desktop}), 0);
    else
        ADD_FAILURE() << "desktop-file-validate missing (package desktop-file-utils)";
    EXPECT_EQ(QProcess::execute("xmllint", {"--noout", mime}), 0);

    const QString prefix = Home() + "/prefix";
    EXPECT_EQ(QProcess::execute("cmake", {"--install", NV_BINARY_DIR, "--prefix", prefix, "--component", "viewer"}),
              0);
    EXPECT_TRUE(QFile::exists(prefix + "/bin/pagelook"));
    EXPECT_TRUE(QFile::exists(prefix + "/share/applications/pagelook.desktop"));
    EXPECT_TRUE(QFile::exists(prefix + "/share/mime/packages/pagelook-mime.xml"));
    // The icon its desktop file names, where the icon theme looks.
    QFile entry(desktop);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nIcon=pagelook\n"));
    EXPECT_TRUE(QFile::exists(prefix + "/share/icons/hicolor/scalable/apps/pagelook.svg"));
    EXPECT_TRUE(QFile::exists(prefix + "/share/icons/hicolor/48x48/apps/pagelook.png"));
}

} // namespace
