// The engine's own material plug-ins, filed with the other built-in plug-ins: "onetex"
// (the plain one-texture material), "notex" (no texture), "gloss" and "reflect"
// (reflective materials, reflection texture 9) and the one-texture kinds "tbumpcoltex",
// "tbumpglosscol", "tgroundonetex" and "tgroundonetexvs". Each is supported on every
// display.
#pragma once

#include <vector>

namespace Kiv {

class PluginBase;

// New plug-ins, one reference each.
std::vector<PluginBase*> MakeEngineMaterialPlugins();

}  // namespace Kiv
