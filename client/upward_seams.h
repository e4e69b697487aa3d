// Connects the daemon link to the libraries above it: the spec registry (validation) and
// the content databases (content3d). Start-up calls it first; it may be called again.
#pragma once

namespace KodrinUtil {

void InstallUpwardSeams();

} // namespace KodrinUtil
