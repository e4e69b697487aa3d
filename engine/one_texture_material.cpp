// Kiv::OneTextureMaterial, Kiv::ReflectiveMaterial and Kiv::NullMaterial.
#include <algorithm>
#include <typeinfo>

#include "engine/display.h"
#include "engine/material.h"
#include "engine/material_manager.h"
#include "engine/texture.h"

namespace Kiv {

namespace {

constexpr int kBaseIndex = 0;

}  // namespace

void ReplaceTexture(Texture*& slot, Texture* texture) {
    if (texture) texture->AddReference();
    if (slot) slot->ReleaseReference();
    slot = texture;
}

OneTextureMaterial::OneTextureMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                                       RenderingCache* maskCache, RenderingCache* blendCache)
    : Material(manager), chunkCache_(chunkCache), maskCache_(maskCache), blendCache_(blendCache) {}

OneTextureMaterial::~OneTextureMaterial() {
    ReplaceTexture(baseTexture_, nullptr);
}

Material* OneTextureMaterial::Clone() const {
    auto* copy = dynamic_cast<OneTextureMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (copy) copy->InitInstance(*this);
    return copy;
}

void OneTextureMaterial::InitInstance(const OneTextureMaterial& other) {
    Material::InitInstance(other);
    ReplaceTexture(baseTexture_, other.baseTexture_);
    stageProgram_ = other.stageProgram_;
}

bool OneTextureMaterial::OneTextureEqual(const OneTextureMaterial& other) const {
    return baseTexture_ == other.baseTexture_ && BaseEqual(other);
}

bool OneTextureMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           OneTextureEqual(static_cast<const OneTextureMaterial&>(other));
}

PString OneTextureMaterial::GetTypeName() const {
    return GetPlugin() ? Material::GetTypeName() : PString(kPluginName);
}

void OneTextureMaterial::SetResourcePriority(int priority) {
    Material::SetResourcePriority(priority);
    if (baseTexture_) baseTexture_->SetResourcePriority(priority);
}

void OneTextureMaterial::Activate(int level) {
    if (baseTexture_) baseTexture_->Activate(level);
}

int OneTextureMaterial::DuplicateTexture(int index) {
    if (index != kBaseIndex || !baseTexture_) return kMaterialNoTexture;
    Texture* copy = baseTexture_->Duplicate();
    ReplaceTexture(baseTexture_, copy);
    copy->ReleaseReference();
    return kMaterialOk;
}

Texture* OneTextureMaterial::GetTexture(int index) const {
    return index == kBaseIndex ? baseTexture_ : nullptr;
}

int OneTextureMaterial::SetTexture(int index, Texture* texture, float amount) {
    if (index != kBaseIndex || !texture) return kMaterialNoTexture;
    ReplaceTexture(baseTexture_, texture);
    texture->SetResourcePriority(GetPriority());
    SetTextureDefinition(index, texture->GetName(), amount);
    return kMaterialOk;
}

int OneTextureMaterial::SetTexture(int index, ResourceDatabase* database, const PString& name,
                                   float amount) {
    Texture* texture = LookUpTexture(database, name);
    if (!texture) return kMaterialNoTexture;
    const int result = SetTexture(index, texture, amount);
    texture->ReleaseReference();
    if (result == kMaterialOk) SetCachedAlphaHint(-1);
    return result;
}

Texture* OneTextureMaterial::LookUpTexture(ResourceDatabase* database, const PString& name) const {
    MaterialManager* manager = GetManager();
    if (!manager || !manager->GetTextureManager()) return nullptr;
    return manager->GetTextureManager()->GetTexture(database, name);
}

void OneTextureMaterial::SetBaseTexture(Texture* texture) {
    ReplaceTexture(baseTexture_, texture);
}

int OneTextureMaterial::IsLoaded() const {
    return baseTexture_ && !baseTexture_->IsLoaded() ? kMaterialNotLoaded : kMaterialOk;
}

void OneTextureMaterial::SetDisplayState(Display& display) {
    display.SetCullMode(flags & kCullNone ? 0 : 1);
    display.BindTexture(0, baseTexture_);
    if (!(flags & kNoBlendFactors)) {
        display.GetBlendFactors(savedBlendSource_, savedBlendDestination_);
        display.SetBlendFactors(blendSource, blendDestination);
    }
    if (stageProgram_) display.ApplyTextureStageProgram(stageProgram_);
}

void OneTextureMaterial::ClearDisplayState(Display& display) {
    display.SetCullMode(1);
    if (!(flags & kNoBlendFactors)) {
        display.SetBlendFactors(savedBlendSource_, savedBlendDestination_);
    }
    if (stageProgram_) display.ResetTextureStage(0);
}

ReflectiveMaterial::ReflectiveMaterial(MaterialManager* manager, RenderingCache* chunkCache,
                                       RenderingCache* blendCache, int programCount,
                                       TextureStageProgram* const* programs)
    : OneTextureMaterial(manager, chunkCache, nullptr, blendCache) {
    programCount_ = programs ? std::min(std::max(programCount, 0), kMaxStagePrograms) : 0;
    for (int i = 0; i < programCount_; ++i) programs_[i] = programs[i];
}

ReflectiveMaterial::~ReflectiveMaterial() {
    ReplaceTexture(reflectionTexture_, nullptr);
}

Material* ReflectiveMaterial::Clone() const {
    auto* copy = dynamic_cast<ReflectiveMaterial*>(CreateInstance(GetTypeName(), GetManager()));
    if (copy) copy->InitInstance(*this);
    return copy;
}

void ReflectiveMaterial::InitInstance(const ReflectiveMaterial& other) {
    OneTextureMaterial::InitInstance(other);
    ReplaceTexture(reflectionTexture_, other.reflectionTexture_);
    reflectionAmount_ = other.reflectionAmount_;
    reflectionMatrix_ = other.reflectionMatrix_;
}

bool ReflectiveMaterial::ReflectiveEqual(const ReflectiveMaterial& other) const {
    return reflectionTexture_ == other.reflectionTexture_ &&
           reflectionAmount_ == other.reflectionAmount_ && OneTextureEqual(other);
}

bool ReflectiveMaterial::IsEqual(const Material& other) const {
    return typeid(*this) == typeid(other) &&
           ReflectiveEqual(static_cast<const ReflectiveMaterial&>(other));
}

PString ReflectiveMaterial::GetTypeName() const {
    return GetPlugin() ? Material::GetTypeName() : PString("reflect");
}

Texture* ReflectiveMaterial::GetTexture(int index) const {
    return index == kReflectionIndex ? reflectionTexture_ : OneTextureMaterial::GetTexture(index);
}

int ReflectiveMaterial::SetTexture(int index, Texture* texture, float amount) {
    if (index != kReflectionIndex) return OneTextureMaterial::SetTexture(index, texture, amount);
    if (!texture) return kMaterialNoTexture;
    ReplaceTexture(reflectionTexture_, texture);
    texture->SetResourcePriority(GetPriority());
    SetTextureDefinition(index, texture->GetName(), amount);
    reflectionAmount_ = amount;
    return kMaterialOk;
}

TextureStageProgram* ReflectiveMaterial::GetStageProgramAt(int i) const {
    return i >= 0 && i < programCount_ ? programs_[i] : nullptr;
}

void ReflectiveMaterial::ChangeTexGen(Display& display, bool withVertexProgram) const {
    display.Record("ChangeTexGen %d", withVertexProgram);
}

void ReflectiveMaterial::SetSphericalTexureCoordinates(Display& display, GeometryChunk*,
                                                       const Matrix4*) const {
    display.Record("SetSphericalTexureCoordinates");
}

Material* NullMaterial::Clone() const {
    Material* copy = CreateInstance(GetTypeName(), GetManager());
    if (auto* same = dynamic_cast<NullMaterial*>(copy)) same->InitInstance(*this);
    return copy;
}

bool NullMaterial::IsEqual(const Material& other) const {
    return Material::IsEqual(other);
}

}  // namespace Kiv
