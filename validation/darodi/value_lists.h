// Whether a combobox, intcombobox or listbox value is offered by the value list its
// definition's "source" names (keys compared ignoring case). A listbox value may hold
// several codes joined by ";": any one listed passes.
#pragma once

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

bool IsListedComboBoxValue(const Kiv::PString& value, const ACSChunkRef& definition);
bool IsListedIntComboBoxValue(const Kiv::PString& value, const ACSChunkRef& definition);
bool IsListedListBoxValue(const Kiv::PString& value, const ACSChunkRef& definition);

} // namespace DAROdi
