// CheckAssetTextures: the checks of an asset's texture files before its tree is exported.
// The walk visits every file below the asset folder in byte order of names (so findings
// come in a repeatable order) and reports into the error handler, without a subject:
// converted textures (".texture") without their description, leftover conversion requests
// ("*.convert-tex.txt"), and texture descriptions (".texture.txt") that are not plain ANSI,
// name images that are missing, unreadable, not power-of-two or of different sizes, or
// lack their converted texture where the location needs one. Paths in findings are below
// the walk root, with "/" and no leading separator.
#pragma once

#include "engine/file_path.h"

namespace DAROdi {

// True when nothing was found below folder; root is the folder paths are shown from.
bool CheckAssetTextures(const Kiv::File::Path& root, const Kiv::File::Path& folder);

// One texture description (X.texture.txt) in folder; true when it passed.
bool CheckTextureDescription(const Kiv::File::Path& root, const Kiv::File::Path& folder,
                             const Kiv::File::Path& description);

// The path below root (its length cut off the front), "/"-separated, without a leading
// separator.
std::string ShownTexturePath(const Kiv::File::Path& root, const Kiv::File::Path& path);

// Reports a finding without subject as an error, or as a warning when asWarning.
void ReportTextureFinding(const Kiv::PString& text, bool asWarning = false);

} // namespace DAROdi
