// The built-in program texts of the bump materials, registered with the engine's program
// managers by the bump plug-ins: one vertex-program file, "KodrinBumpMaterial_Vtx", holding
// six programs made of sections, and six pixel programs, each with its header of constant
// registers (in register order) and its pixel-shader 1.1 code.
#pragma once

#include <string>

namespace Kiv {

inline constexpr const char* kBumpVertexFileName = "KodrinBumpMaterial_Vtx";

// The vertex-program file.
const char* BumpVertexProgramText();
// The text of a pixel program by name; empty for a name that is not one of the six.
const std::string& BumpPixelProgramText(const std::string& name);

}  // namespace Kiv
