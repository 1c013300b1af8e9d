#include "ledger/shell/ScreenMode/DisplayClass.h"

NV_DEFINE_PLUGIN({"ScreenMode.displayClass", nullptr, "displayClass", nullptr, &nv::CreateInstance<nv::DisplayClass>})
