#include "ledger/journal/window/JournalComponent.h"

NV_DEFINE_PLUGIN({"SalesJournal.uriagedataClass", nullptr, "uriagedataClass", nullptr, &nv::CreateSalesJournal})
