// The text of "KodrinBumpMaterial_Vtx". The block at the top lists the programs (name,
// vertex layout, sections); the body below is shared, each "%ifdef Section" ... "%endif"
// block taking part only in the programs that list that section.
#include "content3d/materials/bump_program_texts.h"

namespace Kiv {

namespace {

constexpr const char* kText = R"(!!KivVertexPrograms 2.0
vertexProgram
{
    KodrinBump_ParallelLight PNTA ParallelLight OneTex Fog
    KodrinBump_SpotLight PNTA SpotLight OneTex Fog
    KodrinBumpGloss_ParallelLight PNTA ParallelLight OneTex SphereMap Fog
    KodrinBumpGloss_SpotLight PNTA SpotLight OneTex SphereMap Fog
    KodrinBumpEnv_ParallelLight PNTA ParallelLight OneTex cubeMap Fog
    KodrinBumpEnv_SpotLight PNTA SpotLight OneTex cubeMap Fog
}

!!ARBvp1.0
PARAM mvp[4] = { state.matrix.mvp };
PARAM mv[4] = { state.matrix.modelview };
PARAM texMatrix1[4] = { state.matrix.texture[1] };
PARAM unused4 = program.local[4];
PARAM lightPos = program.local[5];
PARAM invLightRadius = program.local[6];
PARAM lightDir = program.local[7];
PARAM unused8 = program.local[8];
PARAM unused9 = program.local[9];
PARAM unused10 = program.local[10];
PARAM unused11 = program.local[11];
PARAM unused12 = program.local[12];
PARAM viewPos = program.local[13];
PARAM half = { 0.5, 0.5, 0.5, 0.5 };
PARAM texScale = { 0.05, 0.05, 0.05, 0.05 };
PARAM axisY = { 0, 1, 0, 0 };
PARAM one = { 1, 1, 1, 1 };
ATTRIB iPos = vertex.position;
ATTRIB iNormal = vertex.normal;
ATTRIB iTangent = vertex.attrib[4];
ATTRIB iTex0 = vertex.texcoord[0];
OUTPUT oPos = result.position;
OUTPUT oColor = result.color.primary;
OUTPUT oSpecular = result.color.secondary;
OUTPUT oTex0 = result.texcoord[0];
OUTPUT oTex1 = result.texcoord[1];
OUTPUT oTex2 = result.texcoord[2];
OUTPUT oTex3 = result.texcoord[3];
OUTPUT oFog = result.fogcoord;
TEMP binormal, light, view, halfVec, dist, atten, eyePos, eyeNormal, reflection;

# clip position = position x model-view-projection
DP4 oPos.x, mvp[0], iPos;
DP4 oPos.y, mvp[1], iPos;
DP4 oPos.z, mvp[2], iPos;
DP4 oPos.w, mvp[3], iPos;

# the tangent basis (T, B, N), B = T x N
XPD binormal, iTangent, iNormal;

%ifdef ParallelLight
# L = -lightDir in the tangent basis; primary colour = L x 0.5 + 0.5
DP3 light.x, iTangent, -lightDir;
DP3 light.y, binormal, -lightDir;
DP3 light.z, iNormal, -lightDir;
MAD oColor, light, half, half;
%endif

%ifdef SpotLight
# D = lightPos - position; a = max(1 - |D x invLightRadius.y|^2, 0)
SUB dist, lightPos, iPos;
MUL atten, dist, invLightRadius.y;
DP3 atten.w, atten, atten;
SUB atten.w, one.w, atten.w;
MAX atten.w, atten.w, axisY.x;
# Dn = normalise(D); c = Dn . -lightDir; cut = c >= cos(angle); k = c x cut x a
DP3 dist.w, dist, dist;
RSQ dist.w, dist.w;
MUL dist.xyz, dist, dist.w;
DP3 atten.x, dist, -lightDir;
SGE atten.y, atten.x, invLightRadius.x;
MUL atten.x, atten.x, atten.y;
MUL atten.x, atten.x, atten.w;
# L = Dn in the tangent basis, scaled by k
DP3 light.x, iTangent, dist;
DP3 light.y, binormal, dist;
DP3 light.z, iNormal, dist;
MUL light, light, atten.x;
MAD oColor, light, half, half;
%endif

# V = normalise(viewPos - position); H = normalise(V - lightDir) in the tangent basis
SUB view, viewPos, iPos;
DP3 view.w, view, view;
RSQ view.w, view.w;
MUL view.xyz, view, view.w;
SUB view, view, lightDir;
DP3 view.w, view, view;
RSQ view.w, view.w;
MUL view.xyz, view, view.w;
DP3 halfVec.x, iTangent, view;
DP3 halfVec.y, binormal, view;
DP3 halfVec.z, iNormal, view;

%ifdef SpotLight
MUL halfVec, halfVec, atten.x;
%endif

# texture coordinates 2 = H x 0.5 + 0.5; secondary colour = max(H.z, 0)^32
MAD oTex2, halfVec, half, half;
MAX halfVec.w, halfVec.z, axisY.x;
MUL halfVec.w, halfVec.w, halfVec.w;
MUL halfVec.w, halfVec.w, halfVec.w;
MUL halfVec.w, halfVec.w, halfVec.w;
MUL halfVec.w, halfVec.w, halfVec.w;
MUL halfVec.w, halfVec.w, halfVec.w;
MOV oSpecular, halfVec.w;

%ifdef OneTex
MOV oTex0, iTex0;
MOV oTex1, iTex0;
%endif

%ifdef SphereMap
# n = (row 0 . N, -(row 1 . N), row 2 . N); coordinates 3 = n x 0.5 + 0.5 + input x 0.05
DP3 eyeNormal.x, mv[0], iNormal;
DP3 eyeNormal.y, mv[1], iNormal;
DP3 eyeNormal.z, mv[2], iNormal;
MUL eyeNormal.y, eyeNormal.y, -one.y;
MAD eyeNormal, eyeNormal, half, half;
MAD oTex3.xyz, iTex0, texScale, eyeNormal;
MOV oTex3.w, one.w;
%endif

%ifdef cubeMap
# eye position e and eye normal n; v = normalise(-e); r = 2 (n . v) n - v
DP4 eyePos.x, mv[0], iPos;
DP4 eyePos.y, mv[1], iPos;
DP4 eyePos.z, mv[2], iPos;
DP3 eyeNormal.x, mv[0], iNormal;
DP3 eyeNormal.y, mv[1], iNormal;
DP3 eyeNormal.z, mv[2], iNormal;
MOV eyeNormal.w, one.w;
DP3 eyePos.w, eyePos, eyePos;
RSQ eyePos.w, eyePos.w;
MUL view.xyz, -eyePos, eyePos.w;
DP3 reflection.w, eyeNormal, view;
ADD reflection.w, reflection.w, reflection.w;
MAD reflection.xyz, eyeNormal, reflection.w, -view;
MOV reflection.w, one.w;
# texture coordinates 3 = texture matrix of stage 1 x (r, 1)
DP4 oTex3.x, texMatrix1[0], reflection;
DP4 oTex3.y, texMatrix1[1], reflection;
DP4 oTex3.z, texMatrix1[2], reflection;
DP4 oTex3.w, texMatrix1[3], reflection;
%endif

%ifdef Fog
# fog coordinate = length of the eye-space position
DP4 eyePos.x, mv[0], iPos;
DP4 eyePos.y, mv[1], iPos;
DP4 eyePos.z, mv[2], iPos;
DP3 eyePos.w, eyePos, eyePos;
RSQ eyePos.w, eyePos.w;
RCP eyePos.w, eyePos.w;
MOV oFog.x, eyePos.w;
%endif

END
)";

}  // namespace

const char* BumpVertexProgramText() {
    return kText;
}

}  // namespace Kiv
