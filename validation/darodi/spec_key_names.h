// Interned names of the config keys that the spec code and other readers of asset configs
// compare against, made once before main so that a comparison is one handle compare.
#pragma once

#include "engine/pstring.h"

namespace DAROdi::KeyNames {

extern const Kiv::PString productCategory;     // "product-category"
extern const Kiv::PString className;           // "class"
extern const Kiv::PString scriptClass;         // "scriptclass"
extern const Kiv::PString meshTable;           // "mesh-table"
extern const Kiv::PString assetFilename;       // "asset-filename"
extern const Kiv::PString kodrinBuild;         // "kodrin-build"
extern const Kiv::PString scriptIncludeTable;  // "script-include-table"
extern const Kiv::PString activity;            // "activity"
extern const Kiv::PString behavior;            // "behavior"
extern const Kiv::PString defaultName;         // "default"
extern const Kiv::PString categoryClass;       // "category-class"

}  // namespace DAROdi::KeyNames
