// The file extensions a file-path tag may name for its datatype: meshes, images and
// animations. Other datatypes are not checked.
#pragma once

#include "engine/pstring.h"

namespace DAROdi {

// The finding key for a value whose extension does not fit the datatype, or null when it
// fits or the datatype is not checked. edit: the extensions of editable paths, where any
// ".txt" mesh passes (a plain path needs ".lm.txt").
const char* MissingExtensionFinding(const Kiv::PString& datatype, const Kiv::PString& value,
                                    bool edit);

} // namespace DAROdi
