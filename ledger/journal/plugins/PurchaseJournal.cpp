#include "ledger/journal/window/JournalComponent.h"

NV_DEFINE_PLUGIN({"PurchaseJournal.shiiredataClass", nullptr, "shiiredataClass", nullptr, &nv::CreatePurchaseJournal})
