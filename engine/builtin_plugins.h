// The plug-ins the engine contributes itself, filed when the plug-in registry is first
// used. So far one: the bitmap codec "bmp" of the resource family. It is a place
// holder: the engine has no image decoding yet, so it decodes nothing and nothing asks it
// to; the program only holds a reference to it while it runs.
#pragma once

#include <vector>

#include "engine/uid.h"

namespace Kiv {

class PluginBase;

// The family of the resource types and codecs.
inline constexpr UId kResourceFamilyUId = *UId::Parse("4C414E80-BBDA-11d4-9AD7-0001025364B8");
inline constexpr const char* kBitmapCodecName = "bmp";

// New objects, one reference each, which the registry takes over; called once by it.
std::vector<PluginBase*> MakeBuiltinPlugins();

}  // namespace Kiv
