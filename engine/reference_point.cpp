// Reference points of mesh instances.
#include "engine/reference_point.h"

namespace Kiv {

ReferencePoint::ReferencePoint(const PString& kind, const PString& subName, const Vector3& where,
                               const Vector4& rotation)
    : Particle(subName.IsEmpty() ? kind : PString::Concat(PString::ConcatText(kind, "."), subName)),
      position(where), orientation(rotation), kind_(kind), subName_(subName) {}

}  // namespace Kiv
