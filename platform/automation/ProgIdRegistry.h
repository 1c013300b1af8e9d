#pragma once
// Classes by ProgID. The registry file lists, one a line, tab-separated:
//   ProgID  library  type name  categories      (a class in a plug-in)
//   ProgID  CurVer   versioned ProgID           (a version-independent name)
// '#' starts a comment line. A relative library is taken from the file's
// folder. The file is $NIVALO_PROGIDS when set, else the first "progids"
// found in the data folder and the share folder.
// ProgIDs match without regard to case. Libraries load once and stay.
#include "platform/automation/Dispatch.h"
#include "platform/automation/Plugin.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

inline constexpr const char* kProgIdFileName = "progids";

struct ProgIdEntry {
    std::string progId;
    std::string library;      // empty for a version-independent line
    std::string typeName;
    std::string categories;
    std::string curVer;       // the versioned ProgID a version-independent one names
};

// Parses a registry file's text; a malformed line is skipped and reported in
// problems (when given) with its line number.
std::vector<ProgIdEntry> ParseProgIdFile(std::string_view text, std::vector<std::string>* problems = nullptr);
// The lines for the classes a plug-in describes.
std::string FormatProgIdLines(const PluginApi& api, std::string_view library);

// The file the registry reads now ($NIVALO_PROGIDS or the search), or empty.
std::string FindProgIdFile();

// An object by ProgID; failures (no registry file, unknown ProgID, missing or
// broken library, no factory, another ABI version) are 0x800A01AD (429) whose
// description says, in Japanese, the component, the file looked for and why;
// the loader's own words go to the log.
Ref<Dispatch> CreateObject(std::string_view progId);
HRESULT CreateObject(std::string_view progId, Dispatch** out, ErrorRecord* error) noexcept;

// Classes of this process, created without a library (hosts and tests).
void RegisterClass(std::string_view progId, Dispatch* (*create)());
void UnregisterClass(std::string_view progId);

// The entry a ProgID resolves to (after CurVer), if any.
std::optional<ProgIdEntry> LookUpProgId(std::string_view progId);

// Loads a plug-in library (once) and checks its factory; throws 429.
const PluginApi& LoadPlugin(const std::string& libraryPath);

} // namespace nv
