// Exporting a checked tree: every tag is checked and written by the operation of its type
// code, the kind mapped back to the word of the template files; then every child is
// exported into its own container, and its container rules run. Once a tag of a container
// failed, its later float and string tags are neither checked nor written.
#include "validation/darodi/container.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/tag_export.h"
#include "validation/darodi/tag_types.h"

namespace DAROdi {

namespace {

// The refined kinds go back to the kind the config named.
Kiv::PString TemplateFileKind(const Kiv::PString& kind) {
    const Keywords& w = Words();
    const Kiv::PString lower = kind.ToLower();
    if (lower == w.doubleTrack || lower == w.tunnel) return w.bridge;
    if (lower == w.chunkyTrack || lower == w.meshReducingTrack || lower == w.obsoleteTrack)
        return w.track;
    if (lower == w.sceneryTrackside) return w.scenery;
    return lower;
}

bool IsStoppedByFailure(int32_t typeCode) {
    return typeCode == TagType::kFloat || typeCode == TagType::kString;
}

} // namespace

bool Container::Export(ACSChunkRef& soup) {
    const Keywords& w = Words();
    if (!GetExtensions().IsNull()) {
        ACSChunkRef copy = GetExtensions();
        soup.SetNamedSoup(w.extensions, copy);
        return true;
    }
    soup.EnsureContainer();
    bool exported = true;
    for (const std::unique_ptr<Tag>& tag : Tags()) {
        if (!exported && IsStoppedByFailure(tag->typeCode)) continue;
        if (tag->name == w.kind) tag->value = TemplateFileKind(tag->value);
        exported = ExportTag(*tag, soup) && exported;
    }
    for (const std::unique_ptr<Container>& child : Children()) {
        ACSChunkRef sub;
        sub.EnsureContainer();
        soup.SetNamedSoup(child->exportName.IsEmpty() ? child->name : child->exportName, sub);
        const bool childExported = child->Export(sub);
        const bool childRules = child->RunContainerRules();
        exported = childExported && childRules && exported;
    }
    return exported;
}

} // namespace DAROdi
