// What the program contributes to the engine's plug-in system, made by KivGetPlugins (the
// engine calls it once when it takes the program in; start-up does so here): the seven
// material plug-ins ("tbumpgloss", "tbumptex", "tbumpenv", "tonetexnoalpha", "tglossrust",
// "tmpfx", "nofogtex", in that order), then the resource type "convert-tex.txt", which
// makes the converting texture resource (CompressAsciiResource) for descriptions the
// conversion job has renamed to that ending. The mesh types join the resource types when
// they are built.
#pragma once

#include "engine/uid.h"

inline constexpr const char* kConvertTextureTypeName = "convert-tex.txt";
inline constexpr Kiv::UId kConvertTextureTypeUId = *Kiv::UId::Parse("A6805E60-4C54-1278-1111-00010251467D");

// Registers the program's plug-ins; a later call finds them registered and changes nothing.
void KivGetPlugins();
void RegisterProgramPlugins();
