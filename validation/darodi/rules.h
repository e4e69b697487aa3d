// The validation rules that templates attach by name: four container rules and eleven tag
// rules. Each reports its own findings and answers false when it failed; an empty value
// makes the number rules fail without a finding.
#pragma once

#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

class Container;
class Tag;

namespace Rules {

// Container rules (rules_container.cpp).
bool UniqueNames(Container& container, const ACSChunkRef& arguments);
bool HasValidTextureFile(Container& container, const ACSChunkRef& arguments);
bool MeshTableHasShadow(Container& container, const ACSChunkRef& arguments);
bool MeshTableHasVisibleMesh(Container& container, const ACSChunkRef& arguments);

// Tag rules (rules_tag.cpp, rules_number.cpp, rules_mesh.cpp).
bool IsTracksideType(Tag& tag, const ACSChunkRef& arguments);
bool NeedCollateMeshes(Tag& tag, const ACSChunkRef& arguments);
bool IsPositive(Tag& tag, const ACSChunkRef& arguments);
bool IsNotZero(Tag& tag, const ACSChunkRef& arguments);
bool ScriptFileExists(Tag& tag, const ACSChunkRef& arguments);
bool Range(Tag& tag, const ACSChunkRef& arguments);
bool ArraySize(Tag& tag, const ACSChunkRef& arguments);
bool NotOwnParent(Tag& tag, const ACSChunkRef& arguments);
bool MustBeOwnParent(Tag& tag, const ACSChunkRef& arguments);
bool MustBeInLightContainer(Tag& tag, const ACSChunkRef& arguments);
bool MustBePaired(Tag& tag, const ACSChunkRef& arguments);

} // namespace Rules

} // namespace DAROdi
