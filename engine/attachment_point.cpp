// Attachment points and the structures that hold them.
#include "engine/attachment_point.h"

namespace Kiv {

namespace {

Vector4 Conjugate(const Vector4& q) { return {-q.x, -q.y, -q.z, q.w}; }

Vector4 Multiply(const Vector4& a, const Vector4& b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

// v times the transpose of the rotation matrix: the inverse rotation for row vectors.
Vector3 InverseRotate(const Vector3& v, const Vector4& q) {
    const Matrix3 m = QuaternionToMatrix3(q);
    return {v.x * m[0] + v.y * m[1] + v.z * m[2], v.x * m[3] + v.y * m[4] + v.z * m[5],
            v.x * m[6] + v.y * m[7] + v.z * m[8]};
}

}  // namespace

AttachmentPoint::AttachmentPoint(const PString& kind, const PString& subName)
    : Particle(subName.IsEmpty() ? kind : PString::Concat(PString::ConcatText(kind, "."), subName)),
      kind_(kind), subName_(subName) {}

std::pair<PString, PString> AttachmentPoint::GetSubNames(const PString& name) {
    const std::string_view text = name.View();
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos) return {name, PString()};
    return {PString(text.substr(0, dot)), PString(text.substr(dot + 1))};
}

void AttachmentPoint::Place(const Vector3& where, const Vector4& rotation) {
    position = where;
    orientation = rotation;
}

void AttachmentPoint::GlobalToLocal(const Vector3& framePosition, const Vector4& frameOrientation) {
    position = InverseRotate(Sub(position, framePosition), frameOrientation);
    orientation = Multiply(Conjugate(frameOrientation), orientation);
}

bool ParticleStructure::AddAttachmentPoint(AttachmentPoint* point, bool underSkeleton) {
    if (!underSkeleton) {
        AddChild(point);
        return true;
    }
    if (!skeleton_) return false;
    skeleton_->AddChild(point);
    return true;
}

}  // namespace Kiv
