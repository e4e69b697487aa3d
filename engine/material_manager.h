// Kiv::MaterialManager: makes materials by request name. A request name is
// "owner*folder*name" or "owner.name"; its type is "m." plus the text after the last
// ".m." (DecoratedTypeToken, case ignored) of the part after the last "*", lower-cased;
// a name without the token has the type "m.onetex" (OneTextureMaterial::UNDECORATED_TYPE).
// The type selects the material plug-in named without the "m."; a plug-in the display does
// not support names a replacement, tried once. Every request makes a new material.
#pragma once

#include "engine/pstring.h"

namespace Kiv {

class Material;
class RenderKernel;
class TextureManager;

class MaterialManager {
public:
    enum Result : int { kOk = 0, kUnknownType = 1, kUnsupported = 3 };
    static constexpr const char* DecoratedTypeToken = ".m.";

    MaterialManager(RenderKernel* kernel, TextureManager* textures)
        : kernel_(kernel), textures_(textures) {}

    // The type of a request name, as above.
    static PString TypeOfName(const PString& name);

    // kOk and *out with one reference; kUnknownType when no plug-in serves the type;
    // kUnsupported when the plug-in is not supported and its replacement is missing or
    // not supported either, or when the plug-in makes nothing.
    int RequestMaterial(const PString& name, Material** out);
    // The same by type name ("m.onetex" or "onetex").
    int CreateByType(const PString& type, Material** out);
    Material* CreateByType(const PString& type);

    RenderKernel* GetRenderKernel() const { return kernel_; }
    TextureManager* GetTextureManager() const { return textures_; }

private:
    RenderKernel* kernel_;
    TextureManager* textures_;
};

}  // namespace Kiv
