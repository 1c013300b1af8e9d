#pragma once
// The engine's one exception: a ready-to-show message (CP932) built from the
// string table or from a text, with printf-style arguments.
#include "engine/core/Exceptions.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace nv {

// String ids of the engine's table.
enum : uint32_t {
    IDS_DOC_CREATE_FAILED = 22000,
    IDS_DOC_TEMP_FAILED = 22001,
    IDS_DOC_OPEN_FAILED = 22002,
    IDS_DOC_PAGE_NOT_FOUND = 22003,
    IDS_DOC_FORM_NOT_FOUND = 22004,
    IDS_DOC_BAD_FORMAT = 22005,
    IDS_DOC_BAD_DATA = 22006,
    IDS_DOC_WRITE_FAILED = 22007,
    IDS_DOC_BAD_VERSION = 22008,
    IDS_DOC_UNPACK_FAILED = 22009,
    IDS_DOC_PACK_FAILED = 22010,
    IDS_BITMAP_INFO_FAILED = 30000,
    IDS_WORK_FILE_FAILED = 30001,
    IDS_WORK_FILE_FAILED2 = 30002,
    IDS_IMAGE_DRAW_FAILED = 30003,
    IDS_IMAGE_READ_FAILED = 30004,
    IDS_IMAGE_OPEN_FAILED = 30005,
    IDS_LAYER_STEM = 30006,
    IDS_FORM_VERSION = 30007,
    IDS_UNIT_OVERFLOW = 30008,
};

// The table's text for an id (CP932), empty for an id not in the table.
const std::string& LoadEngineString(uint32_t id);

// One printf argument. Strings are CP932 bytes.
class FormatArg {
public:
    FormatArg(int v) : v_(static_cast<long long>(v)) {}
    FormatArg(long v) : v_(static_cast<long long>(v)) {}
    FormatArg(long long v) : v_(v) {}
    FormatArg(unsigned v) : v_(static_cast<long long>(v)) {}
    FormatArg(unsigned long v) : v_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : v_(static_cast<long long>(v)) {}
    FormatArg(double v) : v_(v) {}
    FormatArg(const char* s) : v_(std::string(s ? s : "")) {}
    FormatArg(std::string s) : v_(std::move(s)) {}
    FormatArg(std::string_view s) : v_(std::string(s)) {}

    const std::variant<long long, double, std::string>& value() const { return v_; }

private:
    std::variant<long long, double, std::string> v_;
};

// printf-style formatting that cannot misbehave: each conversion takes the
// next argument converted to what it asks for; missing arguments give 0 or
// an empty string; %n is ignored.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

class CAppException : public CException {
public:
    // 1: empty message, no id.
    CAppException() = default;
    // 2: string `id` filled with the arguments.
    CAppException(uint32_t id, std::initializer_list<FormatArg> args);
    // 3: a format text filled with the arguments; no id.
    CAppException(std::string_view format, std::initializer_list<FormatArg> args);
    // 4, 5: as 2 and 3, then "\n\n" and the cause's message (at most 511
    // bytes, never cutting a double-byte character).
    CAppException(const CException& cause, uint32_t id, std::initializer_list<FormatArg> args);
    CAppException(const CException& cause, std::string_view format, std::initializer_list<FormatArg> args);

    std::string GetErrorMessage() const override { return m_strMessage; }
    const std::string& Message() const { return m_strMessage; }
    uint32_t MessageId() const { return m_nMessageId; }

    // Shows the message through the installed message-box handler; returns
    // the button pressed (1, OK, when no handler is installed: the text goes
    // to the log).
    int ReportError(unsigned style = 0, unsigned helpId = 0) const;

    std::string m_strMessage;
    uint32_t m_nMessageId = 0;
};

// Hosts with a user interface install their message box here. The text is
// CP932.
using MessageBoxHandler = std::function<int(const std::string& text, unsigned style, unsigned helpId)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// The cause's message appended the way constructors 4 and 5 do.
std::string AppendCauseMessage(std::string message, const CException& cause);

template <class... A>
[[noreturn]] void ThrowAppException(uint32_t id, const A&... args)
{
    throw CAppException(id, {FormatArg(args)...});
}

template <class... A>
[[noreturn]] void ThrowAppExceptionText(std::string_view format, const A&... args)
{
    throw CAppException(format, {FormatArg(args)...});
}

// Throws the system's text for the calling thread's last error (errno) as a
// plain message (never used as a format).
[[noreturn]] void ThrowLastError();

} // namespace nv
