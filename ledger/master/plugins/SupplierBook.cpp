#include "ledger/master/PartyRegisterEntry.h"

NV_DEFINE_PLUGIN({"SupplierBook.shiiresakiClass", nullptr, "shiiresakiClass", nullptr, &nv::CreateSupplierBook})
