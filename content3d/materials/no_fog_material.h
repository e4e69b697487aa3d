// KodrinNoFogMaterial ("nofogtex"): a one-texture material drawn with fog off. Its display
// state replaces the one-texture base's: fog saved and off, cull mode, base texture on
// stage 0, its blend factors with blending on (unless flag bit 1), its stage program.
#pragma once

#include "engine/material.h"

namespace Kiv {

class KodrinNoFogMaterial : public OneTextureMaterial {
public:
    static constexpr const char* kTypeName = "nofogtex";

    using OneTextureMaterial::OneTextureMaterial;

    Material* Clone() const override;
    bool IsEqual(const Material& other) const override;
    PString GetTypeName() const override { return PString(kTypeName); }
    void SetDisplayState(Display& display) override;
    void ClearDisplayState(Display& display) override;

private:
    int savedFogMode_ = 0;
    bool savedBlend_ = false;
    int savedSource_ = 1;
    int savedDestination_ = 0;
};

}  // namespace Kiv
