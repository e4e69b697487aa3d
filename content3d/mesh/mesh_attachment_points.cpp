// A definition's attachments as attachment points of an instance's structure. With a
// skeleton the point hangs under its root, in the root's space; without one, or when the
// skeleton refuses it, it hangs under the structure in the mesh's space.
#include "content3d/mesh/indexed_mesh_definition.h"
#include "engine/attachment_point.h"

namespace Kiv {

void KodrinIndexedMeshDefinition::AddAttachmentPoints(ParticleStructure& structure) const {
    for (const MeshAttachment& attachment : attachments_) {
        const std::string_view name = attachment.name.View();
        if (name.empty() || (name[0] != 'a' && name[0] != 'A')) continue;
        const auto [kind, subName] = AttachmentPoint::GetSubNames(attachment.name);
        auto* point = new AttachmentPoint(kind, subName);
        const Vector4 orientation = Matrix3ToQuaternion(attachment.rotation);
        point->Place(attachment.position, orientation);
        if (!structure.GetSkeleton()) {
            structure.AddAttachmentPoint(point, false);
        } else if (structure.AddAttachmentPoint(point, true)) {
            const ParticleBone& root = *structure.GetSkeleton();
            point->GlobalToLocal(root.position, root.orientation);
        } else {
            structure.AddChild(point);
        }
    }
}

}  // namespace Kiv
