#pragma once
// The two arrays a register hands to a journal: the party (0-12) and the
// company settings (0-22), as late-bound callers pass them.
#include "ledger/common/CompanySettings.h"
#include "ledger/master/PartyBook.h"
#include "platform/automation/Variant.h"

namespace nv {

// Element 0 the number as a Single, 1-10 the texts cut or padded to their
// widths (Null as blanks), 11 the carry-forward amount as a Long (Null as 0),
// 12 Empty. Throws PartyInputError for a row without a number.
Variant PartyArrayOf(const SideWords& words, const PartyValues& row);
// Texts as Strings, numbers as Singles, element 22 Empty.
Variant SettingsArrayOf(const CompanySettings& settings);

} // namespace nv
