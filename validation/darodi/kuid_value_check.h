// CheckKUIDValue: the check of the asset a KUID-browser tag names (for example that it
// matches the tag's category pattern), run while the tag is exported.
#pragma once

namespace DAROdi {

class Tag;

// False only when the named asset does not match the tag's category. Not built yet: true.
bool CheckKUIDValue(Tag& tag);

} // namespace DAROdi
