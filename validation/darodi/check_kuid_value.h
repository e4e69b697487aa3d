// CheckKUIDValue: the check of a tag that refers to another asset by KUID (types kuidbrowser
// and stringkuidbrowser). It asks the asset-database daemon for the asset the value names
// (resolved first, so findings name the KUID the daemon answers) and tests its category
// against the tag's category pattern. A missing or non-local asset is a warning; only a
// category mismatch fails, except for "mesh-asset" tags. Tags inside "obsolete-table" are
// not checked. Two daemon round trips per tag, nothing cached.
#pragma once

namespace DAROdi {

class Tag;

// False only for a category mismatch.
bool CheckKUIDValue(Tag& tag);

} // namespace DAROdi
