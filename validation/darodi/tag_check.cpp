// Classifying a new Tag by its definition's type: the type code, defaults from the
// personal details, list values that are not offered cleared, list-sourced tags registered
// with the data manager, the mesh check of file-path tags, and the findings for undefined,
// obsolete and non-boolean tags.
#include <algorithm>

#include "foundation/kuid/kuid.h"
#include "validation/darodi/build_stamp.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/mesh_check.h"
#include "validation/darodi/report.h"
#include "validation/darodi/tag_types.h"
#include "validation/darodi/value_lists.h"

namespace DAROdi {

namespace {

constexpr float kCommentTagBuild = 2.5f;
constexpr int kObsoleteErrorBuild = 290;

bool StartsWith(const Kiv::PString& text, std::string_view prefix) {
    return text.View().substr(0, prefix.size()) == prefix;
}

// The personal detail a pending compulsory string tag of this name takes, or null.
const Kiv::PString* PersonalDetailFor(const Kiv::PString& tagName, const PersonalDetails& details) {
    const Keywords& w = Words();
    if (tagName == w.license) return &details.license;
    if (tagName == w.author) return &details.author;
    if (tagName == w.contactEmail) return &details.email;
    if (tagName == w.contactWebsite || tagName == w.website) return &details.website;
    if (tagName == w.organisation) return &details.organisation;
    return nullptr;
}

bool IsSet(const ACSChunkRef& definition, const Kiv::PString& key) {
    return definition.GetNamedTagAsInt(key, 0) != 0;
}

void ClassifyComboBox(Tag& tag, const ACSChunkRef& definition) {
    const Keywords& w = Words();
    DataManager& manager = DataManager::Instance();
    const Kiv::PString source = definition.GetNamedTag(w.source).ToPString();
    if (source == w.attachment) {
        if (IsSet(definition, w.unique))
            manager.RegisterUniqueAttachmentTag(&tag);
        else
            manager.RegisterAttachmentTag(&tag);
    } else if (source == w.meshTable || source == w.attachedTrack || source == w.queues) {
        manager.RegisterListItemB(source, &tag);
    } else {
        if (!tag.value.IsEmpty() && !IsListedComboBoxValue(tag.value, definition))
            tag.value = Kiv::PString();
        return;
    }
    tag.listSource = source;
    tag.listSourceFlag = true;
}

void ClassifyFilePath(Tag& tag, const ACSChunkRef& definition, const ACSChunkRef& config,
                      Container* owner) {
    const Keywords& w = Words();
    tag.datatype = definition.GetNamedTag(w.datatype).ToPString();
    tag.filePath = true;
    if (tag.name == w.script) return;
    DataManager& manager = DataManager::Instance();
    if (config.HasTag(w.meshAsset)) {
        manager.aliasFlag = true;
        return;
    }
    Kiv::File::Path file = manager.GetAssetPath();
    file.AddPath(tag.value.c_str());
    std::unique_ptr<MeshObject> mesh = CheckMeshPerformance(file, *owner);
    if (!mesh) return;
    owner->meshObject = mesh.get();
    manager.AddContainerMesh(owner, std::move(mesh));
}

void ClassifyUndefined(Tag& tag, Container* owner, const std::vector<Kiv::PString>& obsolete) {
    const Keywords& w = Words();
    const float stamp = DataManager::Instance().buildStamp;
    const bool comment = tag.name == w.bang || tag.name == w.rem || tag.name == w.semicolon;
    if (comment && stamp < kCommentTagBuild) return;
    const bool retired = std::find(obsolete.begin(), obsolete.end(), tag.name) != obsolete.end() ||
                         StartsWith(tag.name, "category-region-") ||
                         StartsWith(tag.name, "category-era-");
    if (!retired) {
        Report::ErrorInTag(&tag, FormatFinding("$tet_container_nodefinition", tag.name, owner->name));
        return;
    }
    const Kiv::PString text = FormatFinding("$tet_container_obsoletetag", tag.name, owner->name);
    if (StampHundredths(stamp) < kObsoleteErrorBuild)
        Report::WarningInTag(&tag, text);
    else
        Report::ErrorInTag(&tag, text);
}

} // namespace

bool Container::CheckTag(Tag& tag, const ACSChunkRef& definition, const ACSChunkRef& config,
                         Container* owner) {
    const Keywords& w = Words();
    tag.definition = definition;
    const Kiv::PString typeWord = definition.GetNamedTag(w.type).ToPString();
    tag.typeCode = definition.IsNull() ? TagType::kUnknown : TagTypeOf(typeWord);
    switch (tag.typeCode) {
    case TagType::kString:
        if (config.IsNull())
            if (const Kiv::PString* detail =
                    PersonalDetailFor(tag.name, DataManager::Instance().personalDetails))
                tag.value = *detail;
        tag.disabled = IsSet(definition, w.disabled);
        if (definition.HasTag(w.filter)) tag.filter = definition.GetNamedTag(w.filter).ToPString();
        break;
    case TagType::kInt:
    case TagType::kFloat:
        tag.disabled = IsSet(definition, w.disabled);
        break;
    case TagType::kBool:
        if (!tag.value.IsEmpty() && tag.value.View() != "0" && tag.value.View() != "1")
            Report::WarningInTag(&tag, FormatFinding("$tet_container_notboolean", tag.name,
                                                     owner->name));
        break;
    case TagType::kListBox:
        if (!tag.value.IsEmpty() && !IsListedListBoxValue(tag.value, definition))
            tag.value = Kiv::PString();
        break;
    case TagType::kComboBox:
        ClassifyComboBox(tag, definition);
        break;
    case TagType::kIntComboBox:
        if (!tag.value.IsEmpty() && !IsListedIntComboBoxValue(tag.value, definition))
            tag.value = Kiv::PString();
        break;
    case TagType::kKUID:
        if (tag.value.IsEmpty()) tag.value = KUID::Null().ToTag();
        break;
    case TagType::kFilePath:
    case TagType::kFilePathEdit:
        ClassifyFilePath(tag, definition, config, owner);
        break;
    case TagType::kKUIDBrowser:
        if (definition.HasTag(w.category))
            tag.categoryPattern = definition.GetNamedTag(w.category).ToPString();
        if (definition.HasTag(w.filter)) tag.filter = definition.GetNamedTag(w.filter).ToPString();
        break;
    case TagType::kUnknown:
        ClassifyUndefined(tag, owner, obsoleteNames);
        break;
    default:
        break;
    }
    return true;
}

} // namespace DAROdi
