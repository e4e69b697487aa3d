// The six pixel programs of the bump family. They share one shape, so each text is put
// together from its row of the table below: its constant registers (in register order),
// the source of its gloss attenuation s, whether it rusts the base texture, its
// reflection step, its specular colour K and its output alpha.
//
// Inputs: t0 base texture, t1 normal map (gloss in alpha), t2 the half vector, v0 the
// tangent-space light vector, v1 the per-vertex specular term, t3 the reflection map.
#include <map>
#include <vector>

#include "content3d/materials/bump_program_texts.h"

namespace Kiv {

namespace {

// Default values of the named registers.
const std::map<std::string, std::string> kRegisterDefaults = {
    {"LightDiff", "0, 0, 0, 1"},
    {"LightAmb", "0, 0, 0, 1"},
    {"Specular", "0.9, 0.9, 0.9, 0.75"},
    {"Lerp", "0, 0, 1, 1"},
    {"RustColor", "0, 0, 1, 1"},
};

constexpr const char* kSpecularAlpha = "mov r1.a, c[^Specular].a                ; s = Specular.a\n";
constexpr const char* kGlossAttenuation =
    "lrp r1.a, c[^LightAmb].a, t1.a, c[^Specular].a ; s = lerp(gloss, Specular.a, LightAmb.a)\n";
constexpr const char* kRustBase =
    "mul_sat r3.a, 1-t0.a, c[^RustColor].a    ; r = saturate((1 - base alpha) x RustColor.a)\n"
    "lrp t0.rgb, r3.a, c[^RustColor], t0      ; base = lerp(r, RustColor, base)\n";
constexpr const char* kEnvReflection = "lrp r0.rgb, t0.a, t3, r0                ; lerp(base alpha, cube map, colour)\n";
constexpr const char* kGlossReflection = "lrp r0.rgb, c[^Lerp], t3, r0            ; lerp(Lerp, gloss map, colour)\n";
constexpr const char* kGlossSpecular = "mul r2.rgb, c[^Specular], t1.a           ; K = Specular x gloss\n";
constexpr const char* kRustSpecular = "mul r2.rgb, c[^Specular], 1-r3.a         ; K = Specular x (1 - r)\n";
constexpr const char* kPlainSpecular = "mov r2.rgb, c[^Specular]                 ; K = Specular\n";
constexpr const char* kTexturedAlpha = "mul r0.a, t0.a, c[^LightDiff].a          ; alpha = base alpha x LightDiff.a\n";
constexpr const char* kPlainAlpha = "mov r0.a, c[^LightDiff].a                ; alpha = LightDiff.a\n";

struct PixelProgram {
    const char* name;
    std::vector<const char*> registers;
    const char* attenuation;
    const char* rust;        // null: the base texture as it is
    const char* reflection;  // null: no reflection step and no texture 3
    const char* specular;
    const char* alpha;
};

const PixelProgram kPixelPrograms[] = {
    {"KodrinBumpMat_ParallelLight", {"LightDiff", "LightAmb", "Specular"}, kSpecularAlpha,
     nullptr, nullptr, kGlossSpecular, kTexturedAlpha},
    {"KodrinBumpGlossMat_ParallelLight", {"LightDiff", "LightAmb", "Lerp", "Specular"},
     kGlossAttenuation, nullptr, kGlossReflection, kPlainSpecular, kPlainAlpha},
    {"KodrinBumpGlossMat_SpotLight", {"LightDiff", "LightAmb", "Lerp", "Specular"},
     kGlossAttenuation, nullptr, nullptr, kPlainSpecular, kPlainAlpha},
    {"KodrinBumpRustMat_ParallelLight", {"LightDiff", "LightAmb", "RustColor", "Specular"},
     kGlossAttenuation, kRustBase, nullptr, kRustSpecular, kPlainAlpha},
    {"KodrinBumpEnvMat_ParallelLight", {"LightDiff", "LightAmb", "Specular"},
     kGlossAttenuation, nullptr, kEnvReflection, kPlainSpecular, kPlainAlpha},
    {"KodrinBumpEnvMat_SpotLight", {"LightDiff", "LightAmb", "Specular"}, kGlossAttenuation,
     nullptr, nullptr, kPlainSpecular, kPlainAlpha},
};

std::string Compose(const PixelProgram& program) {
    std::string text = "!!KivTextureCombiner 1.1\nheader\n{\n";
    for (const char* name : program.registers) {
        text += std::string("    ") + name + " = " + kRegisterDefaults.at(name) + "\n";
    }
    text += "}\nAPI(common)\n{\nps.1.1\n";
    text += "tex t0                                   ; base texture\n";
    text += "tex t1                                   ; normal map, gloss in alpha\n";
    text += "texcoord t2                              ; half vector\n";
    if (program.reflection) text += "tex t3                                   ; reflection map\n";
    text += "dp3_sat r1.rgb, t1_bx2, t2_bx2           ; d = saturate(N . H)\n";
    text += "dp3_sat r0.rgb, t1_bx2, v0_bx2\n";
    text += program.attenuation;
    text += "sub_x4_sat r2.a, t1_bx2.b, r1.a          ; b = saturate(4 (N.z - s))\n";
    text += "mad_sat r0.rgb, r0, c[^LightDiff], c[^LightAmb]\n";
    if (program.rust) text += program.rust;
    text += "mul_x2 r0.rgb, r0,t0\n";
    text += "mul r1.rgb, r1, r1                       ; d^2\n";
    text += "mul r1.rgb, r1, r1                       ; d^4\n";
    text += "sub_x4_sat r1.rgb, r1, r1.a              ; p = saturate(4 (d^4 - s))\n";
    if (program.reflection) text += program.reflection;
    text += "lrp r1.rgb, r2.a, v1.b, r1               ; q = b x vertex term + (1 - b) x p\n";
    text += program.specular;
    text += "mad_sat r0.rgb, r1, r2, r0               ; colour += q x K\n";
    text += program.alpha;
    text += "}\n";
    return text;
}

const std::map<std::string, std::string>& Texts() {
    static const std::map<std::string, std::string>* texts = [] {
        auto* made = new std::map<std::string, std::string>;
        for (const PixelProgram& program : kPixelPrograms) (*made)[program.name] = Compose(program);
        return made;
    }();
    return *texts;
}

}  // namespace

const std::string& BumpPixelProgramText(const std::string& name) {
    static const std::string none;
    const auto found = Texts().find(name);
    return found == Texts().end() ? none : found->second;
}

}  // namespace Kiv
