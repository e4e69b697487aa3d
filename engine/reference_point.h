// Kiv::ReferencePoint: a named place on a mesh instance that other code measures from
// ("p.centre"), not an attachment. Its name splits like an attachment point's: the kind
// before the first ".", the rest after it.
#pragma once

#include <utility>

#include "engine/attachment_point.h"

namespace Kiv {

class ReferencePoint : public Particle {
public:
    ReferencePoint(const PString& kind, const PString& subName, const Vector3& where, const Vector4& rotation);
    static std::pair<PString, PString> GetSubNames(const PString& name) { return AttachmentPoint::GetSubNames(name); }

    const PString& GetKind() const { return kind_; }
    const PString& GetSubName() const { return subName_; }

    Vector3 position;
    Vector4 orientation{0, 0, 0, 1};

private:
    PString kind_;
    PString subName_;
};

}  // namespace Kiv
