// A plug-in built for another ABI version: its factory answers any host.
#include "platform/automation/Plugin.h"

namespace {
const nv::PluginClass kClasses[] = {{"NvTest.Old.1", nullptr, "Old", nullptr, nullptr}};
const nv::PluginApi kApi{nv::kPluginAbiVersion + 1, kClasses, 1, nullptr};
} // namespace

extern "C" __attribute__((visibility("default"))) const nv::PluginApi* NvPluginFactory(uint32_t)
{
    return &kApi;
}
