#pragma once
// Errors the control raises to its host: an automation status with the text
// id of the control's message table as the help context.
#include "platform/automation/Status.h"

#include <cstdint>
#include <string>

namespace nv {

enum : uint32_t {
    kTvlInvalidCall = 0x800A0005,     // 5
    kTvlFileNotFound = 0x800A0035,    // 53
    kTvlPathFileAccess = 0x800A004B,  // 75
    kTvlInvalidValue = 0x800A017C,    // 380
    kTvlInvalidIndex = 0x800A017D,    // 381
    kTvlNotSupported = 0x800A01A6,    // 422
    kTvlFormClosed = 0x800A03E8,      // 1000
    kTvlNotAttached = 0x800A03E9,     // 1001
    kTvlPictureKind = 0x800A03EA,     // 1002
};

using TvlAutomationError = AutomationError;

// Raises the error; without a description the table's text is used.
[[noreturn]] void RaiseTvlError(uint32_t scode, int32_t textId, const std::string& description = {});

} // namespace nv
