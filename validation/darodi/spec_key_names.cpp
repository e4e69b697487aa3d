// The interned config key names, made during static initialisation.
#include "validation/darodi/spec_key_names.h"

namespace DAROdi::KeyNames {

const Kiv::PString productCategory("product-category");
const Kiv::PString className("class");
const Kiv::PString scriptClass("scriptclass");
const Kiv::PString meshTable("mesh-table");
const Kiv::PString assetFilename("asset-filename");
const Kiv::PString kodrinBuild("kodrin-build");
const Kiv::PString scriptIncludeTable("script-include-table");
const Kiv::PString activity("activity");
const Kiv::PString behavior("behavior");
const Kiv::PString defaultName("default");
const Kiv::PString categoryClass("category-class");

}  // namespace DAROdi::KeyNames
