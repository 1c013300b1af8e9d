#include "EchoObject.h"

NV_DEFINE_PLUGIN({"NvTest.Echo.1", "NvTest.Echo", "Echo", "{00000000-0000-0000-0000-000000000001}",
                  &nv::CreateInstance<nvtest::Echo>})
