#pragma once
// What a plug-in library exports: one factory function that checks the ABI
// version and hands back a description of its classes and a way to create
// them. Use NV_DEFINE_PLUGIN in exactly one source file of the plug-in:
//
//   NV_DEFINE_PLUGIN(
//       {"Tavelo.Inkplate.1", "Tavelo.Inkplate", "Inkplate", "{...},{...}", &nv::CreateInstance<CInkplateCtrl>})
//
// and build it with nv_plugin() (cmake/NvPlugins.cmake).
#include "platform/automation/Dispatch.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <iterator>

namespace nv {

// Raise when anything below or the layout of Variant, ErrorRecord or the
// interfaces changes.
constexpr uint32_t kPluginAbiVersion = 1;

inline constexpr const char* kPluginFactoryName = "NvPluginFactory";

struct PluginClass {
    const char* progId;                    // versioned: "Tavelo.Inkplate.1"
    const char* versionIndependentProgId;  // "Tavelo.Inkplate", or nullptr
    const char* typeName;
    const char* categories;                // comma-separated GUIDs, or nullptr
    Dispatch* (*create)();                 // a new object (count 0)
};

struct PluginApi {
    uint32_t abiVersion;
    const PluginClass* classes;
    size_t classCount;
    // A new object with one reference in *out; failures as a record.
    HRESULT (*create)(const char* progId, Dispatch** out, ErrorRecord* error);
};

using PluginFactory = const PluginApi* (*)(uint32_t hostAbiVersion);

template <class T>
Dispatch* CreateInstance()
{
    return new T;
}

// The status and record of the exception being handled (call from a catch)
// when an object could not be made.
inline HRESULT CreateFailure(ErrorRecord* error) noexcept
{
    try {
        throw;
    } catch (const AutomationError& e) {
        if (error) *error = e.Record();
        return e.Scode();
    } catch (const std::exception& e) {
        if (error) *error = AutomationError(CTL_E_CANTCREATEOBJECT, e.what()).Record();
    } catch (...) {
        // Nothing to describe: the status alone says the object could not be made.
    }
    return CTL_E_CANTCREATEOBJECT;
}

// Plug-in side of create: finds the class, keeps exceptions inside.
inline HRESULT CreatePluginObject(const PluginClass* classes, size_t count, const char* progId, Dispatch** out,
                                  ErrorRecord* error) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        for (size_t i = 0; i < count; ++i) {
            const PluginClass& c = classes[i];
            if (EqualNoCase(c.progId, progId)
                || (c.versionIndependentProgId && EqualNoCase(c.versionIndependentProgId, progId))) {
                Ref<Dispatch> object(c.create());
                *out = object.Detach();
                return S_OK;
            }
        }
        if (error)
            *error = AutomationError(CTL_E_CANTCREATEOBJECT, std::string("部品のファイルに ") + progId + " がありません。")
                         .Record();
        return CTL_E_CANTCREATEOBJECT;
    } catch (...) {
        return CreateFailure(error);
    }
}

} // namespace nv

#define NV_DEFINE_PLUGIN(...)                                                                                   \
    namespace {                                                                                                 \
    const ::nv::PluginClass nvPluginClasses[] = {__VA_ARGS__};                                                  \
    ::nv::HRESULT NvPluginCreate(const char* progId, ::nv::Dispatch** out, ::nv::ErrorRecord* error)            \
    {                                                                                                           \
        return ::nv::CreatePluginObject(nvPluginClasses, std::size(nvPluginClasses), progId, out, error);       \
    }                                                                                                           \
    const ::nv::PluginApi nvPluginApi{::nv::kPluginAbiVersion, nvPluginClasses, std::size(nvPluginClasses),     \
                                      &NvPluginCreate};                                                         \
    }                                                                                                           \
    extern "C" __attribute__((visibility("default"))) const ::nv::PluginApi* NvPluginFactory(uint32_t hostAbi) \
    {                                                                                                           \
        return hostAbi == ::nv::kPluginAbiVersion ? &nvPluginApi : nullptr;                                    \
    }
