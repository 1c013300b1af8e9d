#pragma once
// The control's automation errors: a status and a text id of its string
// table; the text is the description a host shows, the id rides as the help
// context.
#include "platform/automation/Status.h"

#include <span>

namespace nv {

struct ControlString {
    int32_t id;
    const char* text;   // UTF-8
};

// One status a text id is raised with (an id may come with several).
struct ControlErrorEntry {
    HRESULT scode;
    int32_t id;
};

// The string table: 1, 2 and the ids of 20000-20046 that have a text.
std::span<const ControlString> ControlStringTable();
// Every (status, id) pair the control raises.
std::span<const ControlErrorEntry> ControlErrorTable();
// The text of an id, or "" when the table has none.
const char* ControlErrorText(int32_t id);
// An AutomationError with the text of id as description and id as help
// context; source "Tavelo.Inkplate".
AutomationError ControlError(HRESULT scode, int32_t id);
[[noreturn]] void ThrowControlError(HRESULT scode, int32_t id);

// Statuses the control raises.
constexpr HRESULT kErrInvalidValue = CTL_E_ILLEGALFUNCTIONCALL;         // 0x800A0005
constexpr HRESULT kErrFileNotFound = CTL_E_FILENOTFOUND;                // 0x800A0035
constexpr HRESULT kErrFileAccess = CTL_E_PATHFILEACCESSERROR;           // 0x800A004B
constexpr HRESULT kErrInvalidProperty = CTL_E_INVALIDPROPERTYVALUE;     // 0x800A017C
constexpr HRESULT kErrInvalidIndex = CTL_E_INVALIDPROPERTYARRAYINDEX;   // 0x800A017D
constexpr HRESULT kErrPropertyNotFound = CTL_E_PROPERTYNOTFOUND;        // 0x800A01A6
constexpr HRESULT kErrPrinter = CTL_E_PRINTERERROR;                     // 0x800A01E2
constexpr HRESULT kErrClosedForm = RuntimeError(1000);                  // 0x800A03E8
constexpr HRESULT kErrDetached = RuntimeError(1001);                    // 0x800A03E9
constexpr HRESULT kErrImageFormat = RuntimeError(1002);                 // 0x800A03EA

constexpr int32_t kTextBadHdc = 20005;
constexpr int32_t kTextInvalidObject = 20006;
constexpr int32_t kTextPrinterRead = 20007;
constexpr int32_t kTextNotSupported = 20025;
constexpr int32_t kTextIndexOutOfRange = 20027;
constexpr int32_t kTextPrinterInUse = 20045;
constexpr int32_t kTextClosedForm = 20008;
constexpr int32_t kTextDetached = 20017;

} // namespace nv
