#pragma once
// Status codes and the error record that cross object and plug-in
// boundaries. A C++ exception never leaves a plug-in: Invoke and the factory
// turn it into a status and an ErrorRecord, and the caller's helpers turn
// those back into an AutomationError.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace nv {

using HRESULT = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = int32_t(0x80004001);
constexpr HRESULT E_NOINTERFACE = int32_t(0x80004002);
constexpr HRESULT E_POINTER = int32_t(0x80004003);
constexpr HRESULT E_FAIL = int32_t(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = int32_t(0x8007000E);
constexpr HRESULT E_INVALIDARG = int32_t(0x80070057);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = int32_t(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = int32_t(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = int32_t(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = int32_t(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = int32_t(0x80020006);
constexpr HRESULT DISP_E_BADVARTYPE = int32_t(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = int32_t(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = int32_t(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = int32_t(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = int32_t(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = int32_t(0x8002000F);

// Runtime errors as a late-bound caller sees them: 0x800A0000 | number.
constexpr HRESULT RuntimeError(uint16_t number) { return int32_t(0x800A0000u | number); }
constexpr HRESULT CTL_E_ILLEGALFUNCTIONCALL = RuntimeError(5);
constexpr HRESULT CTL_E_OVERFLOW = RuntimeError(6);
constexpr HRESULT CTL_E_TYPEMISMATCH = RuntimeError(13);
constexpr HRESULT CTL_E_FILENOTFOUND = RuntimeError(53);
constexpr HRESULT CTL_E_PATHFILEACCESSERROR = RuntimeError(75);
constexpr HRESULT CTL_E_INVALIDPROPERTYVALUE = RuntimeError(380);
constexpr HRESULT CTL_E_INVALIDPROPERTYARRAYINDEX = RuntimeError(381);
constexpr HRESULT CTL_E_SETNOTSUPPORTED = RuntimeError(383);
constexpr HRESULT CTL_E_GETNOTSUPPORTED = RuntimeError(394);
constexpr HRESULT CTL_E_CANTCREATEOBJECT = RuntimeError(429);
constexpr HRESULT CTL_E_PROPERTYNOTFOUND = RuntimeError(422);
constexpr HRESULT CTL_E_PRINTERERROR = RuntimeError(482);

inline bool Succeeded(HRESULT hr) { return hr >= 0; }
inline bool Failed(HRESULT hr) { return hr < 0; }

// The error number a caller shows for a status: the low word of a runtime
// error, the usual number for the dispatch statuses, else the status itself.
int32_t ErrorNumberOf(HRESULT scode);

// What travels with a failed call (an EXCEPINFO of our own).
struct ErrorRecord {
    HRESULT scode = S_OK;
    std::string description;   // UTF-8
    std::string source;
    int32_t helpContext = 0;   // the control puts its text id here
    int32_t argError = -1;     // position (from 0) of a refused argument, or -1
};

// Thrown inside one module; caught at Invoke and at the plug-in factory.
class AutomationError : public std::runtime_error {
public:
    explicit AutomationError(HRESULT scode, std::string description = {}, int32_t helpContext = 0,
                             std::string source = {});
    explicit AutomationError(ErrorRecord record);

    HRESULT Scode() const { return record_.scode; }
    int32_t Number() const { return ErrorNumberOf(record_.scode); }
    const std::string& Description() const { return record_.description; }
    const std::string& Source() const { return record_.source; }
    int32_t HelpContext() const { return record_.helpContext; }
    int32_t ArgError() const { return record_.argError; }
    const ErrorRecord& Record() const { return record_; }
    void SetArgError(int32_t position) { record_.argError = position; }

private:
    ErrorRecord record_;
};

// A default text for a status, as the runtime words it.
std::string DescriptionOf(HRESULT scode);

} // namespace nv
