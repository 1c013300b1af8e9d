#include "engine/printer/TvPaperForms.h"

#include "FakeSpooler.h"
#include "engine/core/NamedLock.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nv;
using nvtest::FakeSpooler;

namespace {

FormInfo1 Custom(const std::string& name, int32_t w = 100000, int32_t h = 150000)
{
    return FormInfo1{0, name, w, h, 0, 0, w, h};
}

} // namespace

TEST(TvPaperForms, LooksPapersUpOrRegistersThem)
{
    struct Case {
        const char* what;
        PaperExtent size; // tenths of a millimetre
        int result;
        int16_t id;
        const char* name;
        size_t formsAdded;
    };
    const Case cases[] = {
        {"A4", {2100, 2970}, 0, 9, "A4", 0},
        {"A3", {2970, 4200}, 0, 8, "A3", 0},
        {"B5 is the JIS size", {1820, 2570}, 0, 13, "B5 (JIS)", 0},
        {"ISO B5 is not listed", {1760, 2500}, 0, 257, "Tavelo Form 1", 1},
        {"custom size", {1000, 1500}, 0, 257, "Tavelo Form 1", 1},
        {"beyond the printer's range", {5000, 7000}, -3, 0, "", 0},
        {"below the printer's range", {500, 500}, -3, 0, "", 0},
    };
    for (const Case& c : cases) {
        FakeSpooler spooler;
        const size_t before = spooler.forms.size();
        TvPaperForms forms("Printer", "cups", &spooler);
        int16_t id = 0;
        PaperExtent out;
        std::string name;
        EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, c.size, true), c.result) << c.what;
        EXPECT_EQ(spooler.forms.size() - before, c.formsAdded) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(id, c.id) << c.what;
            EXPECT_EQ(name, c.name) << c.what;
            EXPECT_EQ(out, c.size) << c.what;
        } else {
            // registered, not offered, taken back
            EXPECT_EQ(spooler.deleteCalls, 1) << c.what;
        }
    }
}

TEST(TvPaperForms, RegisteredFormHasItsSizeInThousandths)
{
    FakeSpooler spooler;
    TvPaperForms forms("Printer", "", &spooler);
    std::string name;
    ASSERT_EQ(forms.AddForm(name, {1234, 2345}, true), 1);
    EXPECT_EQ(name, "Tavelo Form 1");
    EXPECT_EQ(spooler.forms.back(), (FormInfo1{0, "Tavelo Form 1", 123400, 234500, 0, 0, 123400, 234500}));
}

TEST(TvPaperForms, DocumentUnitsAreConvertedWithRounding)
{
    FakeSpooler spooler;
    TvPaperForms forms("Printer", "", &spooler);
    // 210 mm and 297 mm in document units (1,440,000 per inch)
    const int32_t w = 11905512, h = 16837795;
    int16_t id = 0;
    PaperExtent out;
    std::string name;
    EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, {w, h}, false), 0);
    EXPECT_EQ(id, 9);
    EXPECT_EQ(out, (PaperExtent{2100, 2970}));

    // 100.04 mm x 150 mm registers in thousandths of a millimetre
    ASSERT_EQ(forms.AddForm(name, {5671559, 8503937}, false), 1);
    EXPECT_EQ(spooler.forms.back().width, 100040);
    EXPECT_EQ(spooler.forms.back().height, 150000);
}

TEST(TvPaperForms, NumbersNewFormsInTheFirstGap)
{
    EXPECT_EQ(TvPaperForms::NextFormNumber({}), 1);
    EXPECT_EQ(TvPaperForms::NextFormNumber({1, 2}), 3);
    EXPECT_EQ(TvPaperForms::NextFormNumber({1, 2, 4}), 3);
    EXPECT_EQ(TvPaperForms::NextFormNumber({2}), 1);
    EXPECT_EQ(TvPaperForms::NextFormNumber({0}), 1);
    EXPECT_EQ(TvPaperForms::NextFormNumber({-4}), 1);
    EXPECT_EQ(TvPaperForms::NextFormNumber({2, 2}), 3);
    EXPECT_EQ(TvPaperForms::NextFormNumber({1, 2147483647}), 2);
    EXPECT_EQ(TvPaperForms::NextFormNumber({2147483647}), 1);

    struct Case {
        std::vector<std::string> existing;
        const char* next;
    };
    const Case cases[] = {
        {{}, "Tavelo Form 1"},
        {{"Tavelo Form 1", "Tavelo Form 2"}, "Tavelo Form 3"},
        {{"Tavelo Form 1", "Tavelo Form 2", "Tavelo Form 4"}, "Tavelo Form 3"},
        {{"tavelo form 1", "TAVELO FORM 2"}, "Tavelo Form 3"},
        {{"Tavelo Form 1", "Tavelo Formx 2", "Other 2"}, "Tavelo Form 2"},
        {{"Tavelo Form 99999999999999"}, "Tavelo Form 1"},
    };
    for (const Case& c : cases) {
        FakeSpooler spooler;
        for (const std::string& n : c.existing) spooler.forms.push_back(Custom(n));
        TvPaperForms forms("Printer", "", &spooler);
        std::string name = "ignored";
        EXPECT_EQ(forms.AddForm(name, {1000, 1500}, true), 1);
        EXPECT_EQ(name, c.next);
    }
}

TEST(TvPaperForms, EveryRegistrationFailureHasItsCode)
{
    struct Case {
        const char* what;
        std::function<void(FakeSpooler&)> setup;
        int addForm;
    };
    const Case cases[] = {
        {"name exists", [](FakeSpooler& s) { s.addStatus = SpoolStatus::FileExists; }, -1},
        {"spooler failure", [](FakeSpooler& s) { s.addStatus = SpoolStatus::Failed; }, -2},
        {"printer not opened", [](FakeSpooler& s) { s.openStatus = SpoolStatus::NotFound; }, -4},
        {"printer access denied", [](FakeSpooler& s) { s.openStatus = SpoolStatus::AccessDenied; }, -6},
        {"form list not read", [](FakeSpooler& s) { s.enumFails = true; }, -5},
        {"empty form list", [](FakeSpooler& s) { s.forms.clear(); }, -5},
        {"adding denied", [](FakeSpooler& s) { s.addStatus = SpoolStatus::AccessDenied; }, -6},
    };
    for (const Case& c : cases) {
        FakeSpooler spooler;
        c.setup(spooler);
        const auto formsBefore = spooler.forms;
        TvPaperForms forms("Printer", "", &spooler);
        std::string name;
        EXPECT_EQ(forms.AddForm(name, {1000, 1500}, true), c.addForm) << c.what;

        // FindOrAddForm passes them on, retrying only a taken name
        spooler.addCalls = 0;
        int16_t id = -1;
        PaperExtent out;
        const int expected = c.addForm == -1 ? -3 : c.addForm;
        EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, {1000, 1500}, true), expected) << c.what;
        EXPECT_EQ(spooler.forms, formsBefore) << c.what;
        if (c.addForm == -1) {
            EXPECT_EQ(spooler.addCalls, 5) << c.what;
        }
        EXPECT_EQ(spooler.deleteCalls, 0) << c.what;
    }
}

TEST(TvPaperForms, LockHeldElsewhereGivesMinus3ButListedSizesNeedNoLock)
{
    NamedLock other(TvPaperForms::kLockName);
    ASSERT_TRUE(other.Lock(1000));
    FakeSpooler spooler;
    TvPaperForms forms("Printer", "", &spooler);
    forms.SetLockTimeout(50);
    int16_t id = 0;
    PaperExtent out;
    std::string name;
    EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, {2100, 2970}, true), 0);
    EXPECT_EQ(id, 9);
    EXPECT_EQ(spooler.openCalls, 0);
    EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, {1000, 1500}, true), -3);
    EXPECT_EQ(spooler.openCalls, 0);
    std::string added;
    EXPECT_EQ(forms.AddForm(added, {1000, 1500}, true), -3);
    other.Unlock();
    EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, {1000, 1500}, true), 0);
    EXPECT_EQ(name, "Tavelo Form 1");
}

TEST(TvPaperForms, PrinterWithoutCustomSizesTakesTheFormBack)
{
    FakeSpooler spooler;
    spooler.takesCustom = false;
    TvPaperForms forms("Printer", "", &spooler);
    int16_t id = 0;
    PaperExtent out;
    std::string name;
    const auto before = spooler.forms;
    EXPECT_EQ(forms.FindOrAddForm(&id, &out, name, {1000, 1500}, true), -3);
    EXPECT_EQ(spooler.deleteCalls, 1);
    EXPECT_EQ(spooler.forms, before);
}

TEST(TvPaperForms, SecondRequestFindsTheRegisteredForm)
{
    FakeSpooler spooler;
    TvPaperForms forms("Printer", "", &spooler);
    int16_t id = 0;
    PaperExtent out;
    std::string name;
    ASSERT_EQ(forms.FindOrAddForm(&id, &out, name, {1000, 1500}, true), 0);
    ASSERT_EQ(forms.FindOrAddForm(&id, &out, name, {1000, 1500}, true), 0);
    EXPECT_EQ(spooler.addCalls, 1);
    EXPECT_EQ(name, "Tavelo Form 1");
    ASSERT_EQ(forms.FindOrAddForm(&id, &out, name, {1100, 1500}, true), 0);
    EXPECT_EQ(name, "Tavelo Form 2");
    EXPECT_EQ(id, 258);
}

TEST(TvPaperForms, LookupsAndLists)
{
    FakeSpooler spooler;
    TvPaperForms forms("Printer", "", &spooler);
    std::vector<std::string> names;
    std::vector<int16_t> ids;
    std::vector<PaperExtent> sizes;
    EXPECT_EQ(forms.GetPaperLists(&names, &ids, &sizes), 4);
    EXPECT_EQ(forms.GetPaperLists(nullptr, nullptr, nullptr), 4);
    EXPECT_EQ(names[2], "B5 (JIS)");

    int16_t id = 0;
    PaperExtent size;
    std::string name;
    EXPECT_EQ(forms.FindPaperByName(&id, &size, "A3"), 1);
    EXPECT_EQ(id, 8);
    EXPECT_EQ(size, (PaperExtent{2970, 4200}));
    EXPECT_EQ(forms.FindPaperByName(&id, &size, "a3"), 0);
    EXPECT_EQ(forms.FindPaperById(&size, &name, 13), 1);
    EXPECT_EQ(name, "B5 (JIS)");
    EXPECT_EQ(size, (PaperExtent{1820, 2570}));
    EXPECT_EQ(forms.FindPaperById(&size, &name, 99), 0);
    EXPECT_EQ(forms.FindPaperBySize(&id, &name, {2159, 2794}), 1);
    EXPECT_EQ(name, "Letter");
    EXPECT_EQ(forms.FindPaperBySize(&id, &name, {2794, 2159}), 0);

    EXPECT_EQ(forms.CheckExtent({3300, 4830}), 1);
    EXPECT_EQ(forms.CheckExtent({3301, 4830}), 0);
    EXPECT_EQ(forms.CheckExtent({900, 1270}), 1);
    EXPECT_EQ(forms.CheckExtent({899, 1270}), 0);
    spooler.maxExtent.reset();
    spooler.minExtent.reset();
    EXPECT_EQ(forms.CheckExtent({99999, 1}), 1);

    spooler.idsShort = true;
    EXPECT_EQ(forms.GetPaperLists(&names, &ids, &sizes), -1);
    EXPECT_EQ(forms.FindPaperByName(&id, &size, "A3"), 0);
    spooler.idsShort = false;
    spooler.listsFail = true;
    EXPECT_EQ(forms.GetPaperLists(nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(forms.FindPaperBySize(&id, &name, {2100, 2970}), 0);
}
