// The process-wide random generator, seeded from the system's entropy on first use (start-up
// seeds it afresh with Kiv::Rand::Randomise). Temporary file names draw from it.
#pragma once

#include "engine/rand.h"

Kiv::Rand& ProcessRandom();
