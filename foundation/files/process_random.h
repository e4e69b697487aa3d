// The process-wide random generator. Made with the engine's fixed seed before the program's
// entry; start-up seeds it with Kiv::Rand::Randomise. Temporary file names draw from it.
#pragma once

#include "engine/rand.h"

Kiv::Rand& ProcessRandom();
