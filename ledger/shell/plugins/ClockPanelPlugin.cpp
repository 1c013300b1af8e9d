#include "ledger/shell/ClockPanel/TokeiClass.h"

NV_DEFINE_PLUGIN({"ClockPanel.tokeiClass", nullptr, "tokeiClass", nullptr, &nv::CreateInstance<nv::TokeiClass>})
