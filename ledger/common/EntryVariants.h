#pragma once
// The late-binding layer's variant arrays as entry arrays: the only place a
// component's entry looks inside a Variant.
#include "ledger/common/EntryValue.h"
#include "platform/automation/Variant.h"

#include <string>

namespace nv {

// The elements of an array variant (by reference or not), from its lower
// bound on. Throws EntryError naming the array for something that is not an
// array, and naming the element for a Null, an object or a nested array.
EntryArray EntryArrayOf(const Variant& array, const std::string& name);

} // namespace nv
