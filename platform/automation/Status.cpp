#include "platform/automation/Status.h"

#include <cstdio>

namespace nv {

int32_t ErrorNumberOf(HRESULT scode)
{
    if ((uint32_t(scode) & 0xFFFF0000u) == 0x800A0000u) return int32_t(uint32_t(scode) & 0xFFFFu);
    switch (scode) {
    case DISP_E_TYPEMISMATCH: return 13;
    case DISP_E_OVERFLOW: return 6;
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return 438;
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL: return 450;
    case DISP_E_BADINDEX: return 9;
    case E_NOTIMPL: return 445;
    case E_OUTOFMEMORY: return 7;
    case E_INVALIDARG: return 5;
    default: return scode;
    }
}

std::string DescriptionOf(HRESULT scode)
{
    switch (ErrorNumberOf(scode)) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 13: return "Type mismatch";
    case 53: return "File not found";
    case 75: return "Path/File access error";
    case 380: return "Invalid property value";
    case 381: return "Invalid property array index";
    case 383: return "Property is read-only";
    case 394: return "Property is write-only";
    case 422: return "Property not found";
    case 429: return "ActiveX component can't create object";
    case 438: return "Object doesn't support this property or method";
    case 445: return "Object doesn't support this action";
    case 450: return "Wrong number of arguments or invalid property assignment";
    case 482: return "Printer error";
    default: break;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "Automation error 0x%08X", unsigned(scode));
    return buf;
}

namespace {

ErrorRecord MakeRecord(HRESULT scode, std::string description, int32_t helpContext, std::string source)
{
    ErrorRecord r;
    r.scode = scode;
    r.description = description.empty() ? DescriptionOf(scode) : std::move(description);
    r.helpContext = helpContext;
    r.source = std::move(source);
    return r;
}

} // namespace

AutomationError::AutomationError(HRESULT scode, std::string description, int32_t helpContext,
                                 std::string source)
    : AutomationError(MakeRecord(scode, std::move(description), helpContext, std::move(source)))
{
}

AutomationError::AutomationError(ErrorRecord record)
    : std::runtime_error(record.description.empty() ? DescriptionOf(record.scode) : record.description),
      record_(std::move(record))
{
    if (record_.description.empty()) record_.description = what();
}

} // namespace nv
