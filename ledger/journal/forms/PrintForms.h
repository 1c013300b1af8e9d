#pragma once
// The report forms both journals print on: the ledger and the portrait and
// landscape summary tables, all on A4 portrait paper.
#include "engine/model/TvFedObject.h"

#include <memory>
#include <span>
#include <string>

namespace nv {

std::unique_ptr<TvFedObject> MakeLedgerForm();
std::unique_ptr<TvFedObject> MakeSummaryPortraitForm();
std::unique_ptr<TvFedObject> MakeSummaryLandscapeForm();

struct PrintForm {
    const char* path; // UTF-8, relative to the share folder
    std::unique_ptr<TvFedObject> (*make)();
};

std::span<const PrintForm> PrintForms();

// The form file's bytes, time-stamped with a fixed time so that every build
// writes the same bytes.
std::string StorePrintForm(const TvFedObject& form);

} // namespace nv
