// The test card stored as a form and as a document, plain and packed, must
// keep the bytes committed in data/: reshaping the engine changes no file.
// NV_UPDATE_GOLDEN=1 rewrites them (only when a format change is meant).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestCard.h"
#include "engine/model/TvFormInfo.h"

using namespace nv;
using namespace nv::testcard;
using namespace nvtest;

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(NV_SOURCE_DIR) / "tests/engine/render/data";

// Runs in the temporary folder, so the card stores the bare picture name.
class GoldenFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetFormClock([] { return LocalTime{2026, 4, 1, 9, 30, 0}; });
        previous_ = fs::current_path();
        fs::current_path(dir_.path());
        WriteFileBytes(dir_.path() / "ramp.bmp", RampBmp(6, 5));
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        SetFormClock(nullptr);
    }

    void ExpectGolden(const std::string& bytes, const std::string& name)
    {
        const fs::path golden = kData / name;
        if (std::getenv("NV_UPDATE_GOLDEN")) WriteFileBytes(golden, bytes);
        const std::string expected = ReadFileBytes(golden);
        ASSERT_FALSE(expected.empty()) << golden;
        EXPECT_EQ(bytes.size(), expected.size()) << name;
        EXPECT_TRUE(bytes == expected) << name << "\n" << HexDump(bytes, 512);
    }

    std::string WriteDocument(bool packed)
    {
        const std::string path = dir_.file(packed ? "packed.tvd" : "plain.tvd");
        WriteCardDocument(path, "ramp.bmp", 3, [&](TvDocStore& store) {
            store.Header().m_nTimeLow = 0x89ABCDEF;
            store.Header().m_nTimeHigh = 0x01DCA000;
            store.Header().m_bPacked = packed ? 1 : 0;
        });
        return ReadFileBytes(path);
    }

    TempDir dir_;
    fs::path previous_;
};

TEST_F(GoldenFiles, TheCardFormKeepsItsBytes)
{
    auto form = MakeIndexedTestCard("ramp.bmp");
    // The first picture travels inside the form.
    for (auto& obj : form->m_layers[1]->m_objects)
        if (obj->GetType() == 7) {
            obj->SetFlag(1);
            break;
        }
    const std::string bytes = StoreFormArchive(*form);
    ExpectGolden(bytes, "testcard-form.bin");
    EXPECT_TRUE(LoadFormArchive(bytes));
}

TEST_F(GoldenFiles, TheCardDocumentKeepsItsBytes)
{
    ExpectGolden(WriteDocument(false), "testcard-doc.bin");
}

TEST_F(GoldenFiles, ThePackedCardDocumentKeepsItsBytes)
{
    ExpectGolden(WriteDocument(true), "testcard-doc-packed.bin");
}

TEST_F(GoldenFiles, TheCommittedPackedDocumentUnpacksToThePlainOnesBody)
{
    TvDocStore plain, packed;
    plain.Open((kData / "testcard-doc.bin").string());
    packed.Open((kData / "testcard-doc-packed.bin").string());
    const std::string body = plain.BodyBytes();
    EXPECT_GT(body.size(), 4000u);
    EXPECT_TRUE(ReadFileBytes(packed.GetSpoolFileName()) == body);
    EXPECT_TRUE(packed.BodyBytes() == body);
}

} // namespace
