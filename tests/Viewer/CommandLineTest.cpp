#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "Viewer/CommandLine.h"
#include "support/TempDir.h"

using namespace nv::viewer;
using Action = CommandLine::Action;

namespace {

struct Case {
    QStringList args;
    CommandLine want;
};

TEST(CommandLine, KnownSwitchesInAnyCaseEverythingElseIsAPath)
{
    const Case cases[] = {
        {{}, {}},
        {{"PRINT\\仕入元帳.tvd"}, {Action::Open, "PRINT\\仕入元帳.tvd"}},
        {{"/home/u/a.tvd"}, {Action::Open, "/home/u/a.tvd"}},
        {{"-p"}, {}},
        {{"a.tvd", "b.tvd"}, {Action::Open, "a.tvd"}},
        {{"/p", "a.tvd"}, {Action::Print, "a.tvd"}},
        {{"-P", "a.tvd"}, {Action::Print, "a.tvd"}},
        {{"/pt", "a.tvd", "pdf:/tmp/o.pdf"}, {Action::PrintTo, "a.tvd", "pdf:/tmp/o.pdf"}},
        {{"/PT", "a.tvd", "lp0", "drv", "port"}, {Action::PrintTo, "a.tvd", "lp0", "drv", "port"}},
        {{"/Embedding"}, {Action::Embedded}},
        {{"-embedding", "a.tvd"}, {Action::Embedded, "a.tvd"}},
        {{"/AUTOMATION"}, {Action::Embedded}},
        {{"/pt", "a.tvd", "lp0", "drv", "port", "/Embedding"}, {Action::Embedded, "a.tvd"}},
        {{"/Register"}, {Action::Register}},
        {{"/regserver"}, {Action::Register}},
        {{"/Unregister"}, {Action::Unregister}},
        {{"-UNREGSERVER"}, {Action::Unregister}},
        {{"/dde", "a.tvd"}, {Action::Dde, "a.tvd"}},
        {{"/x"}, {Action::Open, "/x"}},
        {{"/"}, {Action::Open, "/"}},
        {{"/pages.tvd"}, {Action::Open, "/pages.tvd"}},
        {{""}, {}},
        {{"", "a.tvd"}, {Action::Open, "a.tvd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine got = CommandLine::Parse(c.args);
        EXPECT_EQ(int(got.action), int(c.want.action));
        EXPECT_EQ(got.path, c.want.path);
        EXPECT_EQ(got.printer, c.want.printer);
        EXPECT_EQ(got.driver, c.want.driver);
        EXPECT_EQ(got.port, c.want.port);
    }
}

TEST(CommandLine, PathsAsGivenThenWithBackslashesAsSlashes)
{
    nvtest::TempDir dir;
    const QString base = QString::fromStdString(dir.path().string());
    QDir(base).mkpath("PRINT");
    QFile f(base + "/PRINT/仕入縦.tvd");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QFile odd(base + "/odd\\name.tvd");
    ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
    odd.close();

    EXPECT_EQ(ResolveDocumentPath("PRINT\\仕入縦.tvd", base), base + "/PRINT/仕入縦.tvd");
    EXPECT_EQ(ResolveDocumentPath("PRINT/仕入縦.tvd", base), base + "/PRINT/仕入縦.tvd");
    EXPECT_EQ(ResolveDocumentPath(base + "/PRINT/仕入縦.tvd", "/"), base + "/PRINT/仕入縦.tvd");
    // A backslash that is part of the name is tried first, as given.
    EXPECT_EQ(ResolveDocumentPath("odd\\name.tvd", base), base + "/odd\\name.tvd");
    // Missing: the path as given, for the open to report.
    EXPECT_EQ(ResolveDocumentPath("PRINT\\none.tvd", base), base + "/PRINT\\none.tvd");
    EXPECT_EQ(ResolveDocumentPath("", base), QString());
}

} // namespace
