// What the program contributes to the engine's plug-in system, made by KivGetPlugins (the
// engine calls it once when it takes the program in; start-up does so here): the seven
// material plug-ins ("tbumpgloss", "tbumptex", "tbumpenv", "tonetexnoalpha", "tglossrust",
// "tmpfx", "nofogtex", in that order), then the resource types: "kodrin.im" and "kodrin.pm"
// (the indexed and progressive mesh resources), and "convert-tex.txt", which makes the
// converting texture resource (CompressAsciiResource) for descriptions the conversion job
// has renamed to that ending.
#pragma once

#include "engine/uid.h"

inline constexpr const char* kIndexedMeshTypeName = "kodrin.im";
inline constexpr Kiv::UId kIndexedMeshTypeUId = *Kiv::UId::Parse("B9E68EA1-56A3-4a6d-9D5D-C5C020F944E6");
inline constexpr const char* kProgressiveMeshTypeName = "kodrin.pm";
inline constexpr Kiv::UId kProgressiveMeshTypeUId = *Kiv::UId::Parse("2E8739F0-412F-48c2-9F71-912B659C58B6");
inline constexpr const char* kLODMeshTextTypeName = "kodrin.lm.txt";
inline constexpr const char* kLODMeshTypeName = "kodrin.lm";
inline constexpr Kiv::UId kLODMeshTypeUId = *Kiv::UId::Parse("8FCC40D7-8BDD-4d14-B528-65692F5DF710");
inline constexpr const char* kConvertTextureTypeName = "convert-tex.txt";
inline constexpr Kiv::UId kConvertTextureTypeUId = *Kiv::UId::Parse("A6805E60-4C54-1278-1111-00010251467D");

// Registers the program's plug-ins; a later call finds them registered and changes nothing.
void KivGetPlugins();
void RegisterProgramPlugins();
