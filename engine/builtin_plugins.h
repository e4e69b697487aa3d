// The plug-ins the engine contributes itself, filed when the plug-in registry is first
// used: the bitmap codec "bmp" of the resource family, a place holder that the program only
// holds a reference to while it runs (images are decoded by Kiv::Bitmap::Decode), and the
// resource type "texture.txt", which makes a Kiv::AsciiTextureResource of the text form of
// a ".texture" name, and the engine's material plug-ins (engine/engine_material_plugins.h).
#pragma once

#include <vector>

#include "engine/uid.h"

namespace Kiv {

class PluginBase;

// The family of the resource types and codecs.
inline constexpr UId kResourceFamilyUId = *UId::Parse("4C414E80-BBDA-11d4-9AD7-0001025364B8");
inline constexpr const char* kBitmapCodecName = "bmp";
inline constexpr const char* kAsciiTextureTypeName = "texture.txt";
inline constexpr UId kAsciiTextureTypeUId = *UId::Parse("D2B1E4A0-7C3E-4F52-9A61-3B8E5C0F2A17");

// New objects, one reference each, which the registry takes over; called once by it.
std::vector<PluginBase*> MakeBuiltinPlugins();

}  // namespace Kiv
