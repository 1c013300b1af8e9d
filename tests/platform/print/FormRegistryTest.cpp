#include "platform/print/FormRegistry.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace nv;

namespace {
FormInfo1 Form(const std::string& name, int32_t w, int32_t h) { return {0, name, w, h, 0, 0, w, h}; }
} // namespace

TEST(FormRegistry, AddsFindsAndRemovesAcrossInstances)
{
    nvtest::TempDir dir;
    const std::string path = dir.file("sub/forms");
    FormRegistry reg(path);
    ASSERT_TRUE(reg.Load().has_value());
    EXPECT_TRUE(reg.Load()->empty());

    EXPECT_EQ(reg.Add(Form("Tavelo Form 1", 100000, 150000)), SpoolStatus::Ok);
    EXPECT_EQ(reg.Add(Form("Tavelo Form 2", 120000, 180000)), SpoolStatus::Ok);
    EXPECT_EQ(reg.Add(Form("TAVELO FORM 1", 1, 1)), SpoolStatus::FileExists);
    EXPECT_EQ(nvtest::ReadFileBytes(path),
              "257\t100000\t150000\tTavelo Form 1\n258\t120000\t180000\tTavelo Form 2\n");

    FormRegistry again(path);
    auto forms = again.Load();
    ASSERT_TRUE(forms && forms->size() == 2);
    EXPECT_EQ((*forms)[1].paperId, 258);
    EXPECT_EQ((*forms)[1].form, Form("Tavelo Form 2", 120000, 180000));

    EXPECT_EQ(again.Remove("tavelo form 1"), SpoolStatus::Ok);
    EXPECT_EQ(again.Remove("Tavelo Form 1"), SpoolStatus::NotFound);
    // ids are not reused while higher ones exist
    EXPECT_EQ(again.Add(Form("Tavelo Form 1", 100000, 150000)), SpoolStatus::Ok);
    EXPECT_EQ(again.Load()->back().paperId, 259);
}

TEST(FormRegistry, SkipsDamagedLinesAndRefusesBadForms)
{
    nvtest::TempDir dir;
    const std::string path = dir.file("forms");
    nvtest::WriteFileBytes(path, "257\t100\t200\tGood\n"
                                 "junk\n"
                                 "12\t100\t200\tid too low\n"
                                 "300\t-5\t200\tnegative\n"
                                 "301\t100\t200\t\n"
                                 "302\t99999999999\t1\ttoo wide\n"
                                 "303\t100\t200"); // cut short
    FormRegistry reg(path);
    auto forms = reg.Load();
    ASSERT_TRUE(forms.has_value());
    ASSERT_EQ(forms->size(), 1u);
    EXPECT_EQ((*forms)[0].form.name, "Good");

    EXPECT_EQ(reg.Add(Form("tab\there", 1, 1)), SpoolStatus::Failed);
    EXPECT_EQ(reg.Add(Form("", 1, 1)), SpoolStatus::Failed);
    EXPECT_EQ(reg.Add(Form("zero", 0, 1)), SpoolStatus::Failed);
}

TEST(FormRegistry, ReadOnlyFolderIsAccessDenied)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    nvtest::TempDir dir;
    const std::string folder = dir.file("ro");
    ASSERT_EQ(::mkdir(folder.c_str(), 0500), 0);
    FormRegistry reg(folder + "/forms");
    EXPECT_EQ(reg.Add(Form("Tavelo Form 1", 1000, 1000)), SpoolStatus::AccessDenied);
    ::chmod(folder.c_str(), 0700);
}
