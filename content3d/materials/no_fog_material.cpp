// The no-fog material.
#include "content3d/materials/no_fog_material.h"

#include <typeinfo>

#include "engine/display.h"

namespace Kiv {

Material* KodrinNoFogMaterial::Clone() const {
    auto* copy = dynamic_cast<KodrinNoFogMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (!copy) return nullptr;
    copy->Material::InitInstance(*this);
    copy->SetBaseTexture(GetTexture(0));
    return copy;
}

bool KodrinNoFogMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           OneTextureEqual(static_cast<const OneTextureMaterial&>(other));
}

void KodrinNoFogMaterial::SetDisplayState(Display& display) {
    savedFogMode_ = display.GetFogMode();
    display.SetFogMode(0);
    display.SetCullMode(flags & kCullNone ? 0 : 1);
    display.BindTexture(0, GetTexture(0));
    if (!(flags & kNoBlendFactors)) {
        savedBlend_ = display.GetAlphaBlendEnable();
        display.GetBlendFactors(savedSource_, savedDestination_);
        display.SetBlendFactors(blendSource, blendDestination);
        display.SetAlphaBlendEnable(true);
    }
    if (GetStageProgram()) display.ApplyTextureStageProgram(GetStageProgram());
}

void KodrinNoFogMaterial::ClearDisplayState(Display& display) {
    display.SetFogMode(savedFogMode_);
    display.SetCullMode(1);
    if (!(flags & kNoBlendFactors)) {
        display.SetAlphaBlendEnable(savedBlend_);
        display.SetBlendFactors(savedSource_, savedDestination_);
    }
    if (GetStageProgram()) display.ResetTextureStage(0);
}

}  // namespace Kiv
