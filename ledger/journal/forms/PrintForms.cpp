#include "ledger/journal/forms/PrintForms.h"

#include "engine/model/FormFile.h"
#include "ledger/journal/forms/FormBuilder.h"

namespace nv {

namespace {

constexpr PrintForm kForms[] = {
    {"PRINT/仕入れ.tvf", &MakeLedgerForm},
    {"PRINT/仕入れ集計.tvf", &MakeSummaryPortraitForm},
    {"PRINT/仕入れ集計横書き.tvf", &MakeSummaryLandscapeForm},
};

} // namespace

std::span<const PrintForm> PrintForms()
{
    return kForms;
}

std::string StorePrintForm(const TvFedObject& form)
{
    // Storing stamps the update time from the form clock.
    SetFormClock([] { return kFormStamp; });
    struct Restore {
        ~Restore() { SetFormClock(nullptr); }
    } restore;
    return StoreFormFile(form);
}

} // namespace nv
