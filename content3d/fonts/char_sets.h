// The character-set names a font request may give, with the character-set number each
// selects (the numbers a font creation and the rasteriser's answers use). Names compare
// ignoring ASCII case; any other name, or none, selects 1 (the default set, "any").
#pragma once

#include <cstdint>

constexpr int32_t kDefaultCharSet = 1;

int32_t CharSetFromName(const char* name);
