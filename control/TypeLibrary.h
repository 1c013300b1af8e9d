#pragma once
// The drawing control's vocabulary as a host sees it: the member tables of
// its dispatch interfaces (ids are a contract with the ledger), its
// enumerations and its coclasses, and a stable text of all of it.
#include "platform/automation/Dispatch.h"

#include <span>
#include <string>

namespace nv {

struct EnumMember {
    const char* name;
    int32_t value;
};

struct EnumInfo {
    const char* name;
    const char* help;
    std::span<const EnumMember> members;
};

struct CoclassInfo {
    const char* name;
    const char* clsid;      // nullptr when the type library leaves it open
    const char* help;
    const char* defaultInterface;
    const char* eventInterface;
};

inline constexpr const char* kInkplateLibId = "{A37A80A5-3F34-11D2-912B-00C0DF49BE5E}";
inline constexpr const char* kInkplateClsid = "{A37A80A8-3F34-11D2-912B-00C0DF49BE5E}";
inline constexpr const char* kInkplatePropPageClsid = "{A37A80A9-3F34-11D2-912B-00C0DF49BE5E}";
inline constexpr const char* kInkplateProgId = "Tavelo.Inkplate.1";
inline constexpr const char* kInkplateCurrentProgId = "Tavelo.Inkplate";
inline constexpr const char* kInkplatePropPageProgId = "Tavelo.InkplatePropPage.1";
// Component categories "Controls" and "Automation Objects".
inline constexpr const char* kInkplateCategories =
    "{40FC6ED4-2438-11CF-A3DB-080036F12502},{40FC6ED5-2438-11CF-A3DB-080036F12502}";

extern const InterfaceInfo kITaveloDraw;
extern const InterfaceInfo kITaveloEvents;
extern const InterfaceInfo kITvForms;
extern const InterfaceInfo kITvForm;
extern const InterfaceInfo kITvLayers;
extern const InterfaceInfo kITvLayer;
extern const InterfaceInfo kITvObjects;
extern const InterfaceInfo kITvObject;
extern const InterfaceInfo kITvPrinters;
extern const InterfaceInfo kITvPrinter;

// In the type library's order.
std::span<const InterfaceInfo* const> Interfaces();
std::span<const EnumInfo> Enumerations();
std::span<const CoclassInfo> Coclasses();
const EnumInfo* FindEnumeration(std::string_view name);

// Everything above, and the error table, as stable UTF-8 text.
std::string PrintTypeLibrary();

} // namespace nv
