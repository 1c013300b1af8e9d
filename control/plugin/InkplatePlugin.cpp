// The plug-in library "Inkplate": the drawing control by ProgID.
#include "control/InkplateDispatch.h"
#include "control/TypeLibrary.h"
#include "platform/automation/Plugin.h"

NV_DEFINE_PLUGIN({"Tavelo.Inkplate.1", "Tavelo.Inkplate", "Tavelo Inkplate Control", nv::kInkplateCategories,
                  &nv::CreateInstance<nv::InkplateControl>})
