#include "ledger/shell/InfoPanel/AboutClass.h"

NV_DEFINE_PLUGIN({"InfoPanel.aboutClass", nullptr, "aboutClass", nullptr, &nv::CreateInstance<nv::AboutClass>})
