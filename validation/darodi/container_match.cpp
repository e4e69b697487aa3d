// Matching a config container against its template: each child container becomes a child
// Container matched against its own template, each value tag a classified Tag, and the
// compulsory tags the config lacks are added with their defaults and reported. Always run
// on the root, owner being the Container whose config is matched.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/report.h"
#include "validation/darodi/soup_walk.h"

namespace DAROdi {

namespace {

constexpr const char* kTagsBesideSmokeFile[] = {"lifetime", "maxsize", "minsize", "rate",
                                                 "velocity"};

bool StartsWith(const Kiv::PString& text, std::string_view prefix) {
    return text.View().substr(0, prefix.size()) == prefix;
}

ACSChunkRef EntryOf(const ACSChunkRef& tmpl, const Kiv::PString& key, const Kiv::PString& name) {
    return tmpl.GetNamedSoup(key).GetNamedSoup(name);
}

std::vector<ACSChunkRef> ParentsOf(const Container& root, const ACSChunkRef& tmpl) {
    std::vector<ACSChunkRef> parents;
    ForEachChild(tmpl.GetNamedSoup(Words().inherit), [&](const Kiv::PString& name, const ACSChunkRef&) {
        parents.push_back(root.GetTemplate(name));
    });
    return parents;
}

bool EndsInDigit(std::string_view text, size_t count) {
    if (text.size() < count) return false;
    for (size_t i = text.size() - count; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

// A name of a numbered sequence stands for the definition ending in "0" when that has
// "sequence": "bogey5" for "bogey0", "bogey12" for "bogey0", "bogey123" for "bogey10".
ACSChunkRef FindSequenceDefinition(const Kiv::PString& tagName, const ACSChunkRef& tmpl,
                                   const std::vector<ACSChunkRef>& parents) {
    const std::string_view text = tagName.View();
    size_t cut = 0;
    if (EndsInDigit(text, 2) && text.size() > 3)
        cut = 2;
    else if (EndsInDigit(text, 1) && text.size() > 2)
        cut = 1;
    if (cut == 0) return ACSChunkRef();
    const Kiv::PString first(std::string(text.substr(0, text.size() - cut)) + "0");
    ACSChunkRef definition = FindTagDefinition(first, tmpl, parents);
    if (definition.GetNamedTagAsInt(Words().sequence, 0) == 0) return ACSChunkRef();
    return definition;
}

Kiv::PString LookupName(const Kiv::PString& tagName) {
    if (StartsWith(tagName, "description-")) return Words().description;
    if (StartsWith(tagName, "username-")) return Words().username;
    return tagName;
}

ACSChunkRef FindRequiredDefinition(const Kiv::PString& name, const ACSChunkRef& tmpl,
                                   const std::vector<ACSChunkRef>& parents) {
    const Keywords& w = Words();
    ACSChunkRef definition = EntryOf(tmpl, w.subpossibilities, name);
    for (const ACSChunkRef& parent : parents) {
        if (!definition.IsNull()) break;
        definition = EntryOf(parent, w.subpossibilities, name);
        if (definition.IsNull()) definition = EntryOf(parent, w.tagarray, name);
    }
    if (definition.IsNull()) definition = EntryOf(tmpl, w.tagarray, name);
    return definition;
}

bool IsBesideSmokeFile(const Kiv::PString& name, const Container& owner) {
    if (!owner.FindTag(Kiv::PString("file"))) return false;
    return std::any_of(std::begin(kTagsBesideSmokeFile), std::end(kTagsBesideSmokeFile),
                       [&](const char* word) { return name.View() == word; });
}

} // namespace

ACSChunkRef FindTagDefinition(const Kiv::PString& tagName, const ACSChunkRef& tmpl,
                              const std::vector<ACSChunkRef>& parents) {
    const Keywords& w = Words();
    ACSChunkRef definition = EntryOf(tmpl, w.subpossibilities, tagName);
    if (!definition.IsNull()) return definition;
    for (const ACSChunkRef& parent : parents) {
        definition = EntryOf(parent, w.subpossibilities, tagName);
        if (definition.IsNull()) definition = EntryOf(parent, w.tagarray, tagName);
        if (!definition.IsNull()) return definition;
    }
    return EntryOf(tmpl, w.tagarray, tagName);
}

ACSChunkRef Container::FindSubPossibility(const ACSChunkRef& tmpl,
                                          const Kiv::PString& childName) const {
    const Keywords& w = Words();
    const ACSChunkRef own = EntryOf(tmpl, w.subpossibilities, childName);
    if (!own.IsNull()) return own;
    const ACSChunkRef arrayElement = tmpl.GetNamedSoup(w.arrayElement);
    if (!arrayElement.IsNull()) return arrayElement;
    if (childName != w.zero && std::strtol(childName.c_str(), nullptr, 10) == 0) return ACSChunkRef();
    ACSChunkRef numbered;
    ForEachChild(tmpl.GetNamedSoup(w.subpossibilities), [&](const Kiv::PString&, const ACSChunkRef& entry) {
        if (numbered.IsNull() && IsContainer(entry) && entry.GetNamedTagAsInt(w.numarray, 0) != 0)
            numbered = entry;
    });
    return numbered;
}

bool Container::FindContainerDefinition(const ACSChunkRef& tmpl, const Kiv::PString& childName,
                                        Container* owner, ACSChunkRef& out) const {
    out = FindSubPossibility(tmpl, childName);
    if (!out.IsNull()) return true;
    if (StartsWith(childName, "string-table-")) {
        out = FindSubPossibility(tmpl, Words().stringTable);
        return !out.IsNull();
    }
    if (!StartsWith(childName, "smoke")) return false;
    out = GetTemplate(Words().smoke);
    if (!out.IsNull()) return true;
    Report::ErrorInContainer(owner, FormatFinding("$tet_container_nosmoke"));
    return false;
}

Kiv::PString Container::GetContainerType(const ACSChunkRef& definition,
                                         const Kiv::PString& childKind) const {
    const int32_t count = definition.CountTags();
    Kiv::PString result;
    for (int32_t i = 0; i < count; ++i) {
        const Kiv::String candidate = definition.GetNamedTag(Kiv::PString::Setf("container-type%d", i));
        if (candidate.View().find(childKind.View()) != std::string_view::npos)
            result = candidate.ToPString();
    }
    if (result.IsEmpty()) result = definition.GetNamedTag(Words().containerType0).ToPString();
    return result;
}

std::unique_ptr<Container> Container::CreateChildContainer(const Kiv::PString& childName,
                                                           Container* childParent,
                                                           const Kiv::PString& childTemplate,
                                                           int32_t childIndex,
                                                           const ACSChunkRef& config) {
    const ACSChunkRef tmpl = GetTemplate(childTemplate);
    if (tmpl.IsNull()) {
        Report::ErrorInContainer(childParent, FormatFinding("$tet_container_nocontainerdefinition",
                                                            childTemplate));
        return nullptr;
    }
    auto child = std::make_unique<Container>();
    child->name = childName;
    child->parent = childParent;
    child->templateName = childTemplate;
    child->index = childIndex;
    child->SetTemplates(GetTemplates());
    child->SetConfig(config);
    child->exportName = tmpl.GetNamedTag(Words().savingname).ToPString();
    return child;
}

std::unique_ptr<Tag> Container::AddConfigTag(Container* owner, const Kiv::PString& tagName,
                                             const ACSChunkRef& definition,
                                             const ACSChunkRef& config) {
    const Keywords& w = Words();
    if (owner->FindTag(tagName)) return nullptr;
    for (const std::unique_ptr<Tag>& identity : owner->IdentityTags())
        if (identity->name == tagName) return nullptr;
    std::unique_ptr<Tag> tag =
        CreateTag(static_cast<int32_t>(owner->Tags().size()), owner, tagName);
    const Kiv::String configValue = config.GetNamedTag(tagName);
    if (!config.IsNull() && !configValue.IsEmpty()) {
        tag->value = configValue.ToPString();
    } else if (definition.HasTag(w.defaultKey)) {
        const Kiv::PString fallback = definition.GetNamedTag(w.defaultKey).ToPString();
        tag->value = fallback == w.parent ? owner->name : fallback;
    }
    if (!config.IsNull() && definition.GetNamedTagAsInt(w.compulsory, 0) == 0)
        owner->RemovePendingTag(tagName);
    CheckTag(*tag, definition, config, owner);
    return tag;
}

Tag* Container::FindTag(const Kiv::PString& tagName) const {
    for (const std::unique_ptr<Tag>& tag : Tags())
        if (tag->name == tagName) return tag.get();
    return nullptr;
}

Container* Container::FindChild(const Kiv::PString& childName) const {
    for (const std::unique_ptr<Container>& child : Children())
        if (child->name == childName) return child.get();
    return nullptr;
}

bool Container::MatchChildContainer(const MatchScope& scope, const Kiv::PString& childName,
                                    const ACSChunkRef& sub, int32_t& counter) {
    const Keywords& w = Words();
    ACSChunkRef definition;
    bool found = FindContainerDefinition(scope.tmpl, childName, scope.owner, definition);
    for (size_t i = 0; !found && i < scope.parents.size(); ++i)
        found = FindContainerDefinition(scope.parents[i], childName, scope.owner, definition);
    if (!found) {
        ReportUndefinedContainer(scope, childName);
        return true;
    }
    if (definition.HasTag(w.containerType0)) {
        const Kiv::PString typeName =
            GetContainerType(definition, sub.GetNamedTag(w.kind).ToPString());
        return MatchTypedChild(scope, childName, sub, typeName, counter);
    }
    const Kiv::PString kind = definition.GetNamedTag(w.kindKey).ToPString();
    if (kind == w.element) return MatchElementChild(scope, childName, sub, definition, counter);
    if (definition.GetNamedTag(w.icon).ToPString() == w.smoke)
        return MatchSmokeChild(scope, childName, sub, definition, counter);
    Report::ErrorInContainer(scope.owner, FormatFinding("$tet_container_errorintemplate", kind));
    return true;
}

void Container::ReportUndefinedContainer(const MatchScope& scope, const Kiv::PString& childName) {
    const bool obsolete = std::find(obsoleteNames.begin(), obsoleteNames.end(), childName) !=
                          obsoleteNames.end();
    if (!scope.parents.empty() && obsolete)
        Report::Warning(
            FormatFinding("$tet_container_obsoletetag", childName, scope.owner->name));
    else
        Report::ErrorInContainer(scope.owner, FormatFinding("$tet_container_nodefinition",
                                                            childName, scope.owner->name));
    if (childName.View() == ".cache") Report::Error(FormatFinding("$tet_container_oldcontainer"));
}

bool Container::MatchTypedChild(const MatchScope& scope, const Kiv::PString& childName,
                                const ACSChunkRef& sub, const Kiv::PString& typeName,
                                int32_t& counter) {
    std::unique_ptr<Container> child =
        CreateChildContainer(childName, scope.owner, typeName, counter++, scope.config);
    if (!child) return false;
    Container* made = child.get();
    DataManager::Instance().RegisterListItemA(scope.owner->name, made);
    scope.owner->AddChild(std::move(child));
    const ACSChunkRef tmpl = GetTemplate(typeName);
    if (!made->BuildTemplate(tmpl, 1) || !ReadContainerRules(tmpl, *made)) return false;
    return MatchConfig(sub, tmpl, made);
}

bool Container::MatchElementChild(const MatchScope& scope, const Kiv::PString& childName,
                                  const ACSChunkRef& sub, const ACSChunkRef& definition,
                                  int32_t& counter) {
    const Keywords& w = Words();
    const Kiv::PString elementType = definition.GetNamedTag(w.elementType).ToPString();
    std::unique_ptr<Container> child =
        CreateChildContainer(childName, scope.owner, elementType, counter++, scope.config);
    if (!child) return false;
    Container* made = child.get();
    scope.owner->AddChild(std::move(child));
    const ACSChunkRef tmpl = GetTemplate(elementType);
    const ACSChunkRef arrayElement = tmpl.GetNamedSoup(w.arrayElement);
    for (int32_t i = 0; i < arrayElement.CountTags(); ++i) {
        const Kiv::PString type =
            arrayElement.GetNamedTag(Kiv::PString::Setf("container-type%d", i)).ToPString();
        if (!type.IsEmpty()) made->RecordElementTemplate(type);
    }
    const ACSChunkRef tagArray = tmpl.GetNamedSoup(w.tagarray);
    if (!tagArray.IsNull()) made->SetTagArray(tagArray);
    if (tmpl.HasTag(w.subpossibilities) && !made->BuildTemplate(tmpl, 1)) return false;
    if (!ReadContainerRules(tmpl, *made)) return false;
    return MatchConfig(sub, tmpl, made);
}

bool Container::MatchSmokeChild(const MatchScope& scope, const Kiv::PString& childName,
                                const ACSChunkRef& sub, const ACSChunkRef& definition,
                                int32_t& counter) {
    std::unique_ptr<Container> child =
        CreateChildContainer(childName, scope.owner, Words().smoke, counter++, scope.config);
    if (!child) return false;
    Container* made = child.get();
    scope.owner->AddChild(std::move(child));
    if (!made->BuildTemplate(definition, 1) || !ReadContainerRules(definition, *made)) return false;
    return MatchConfig(sub, definition, made);
}

void Container::MatchValueTag(const MatchScope& scope, const Kiv::PString& tagName,
                              std::vector<Kiv::PString>& required) {
    auto listed = std::find(required.begin(), required.end(), tagName);
    if (listed != required.end()) required.erase(listed);
    ACSChunkRef definition = FindTagDefinition(LookupName(tagName), scope.tmpl, scope.parents);
    if (definition.IsNull()) definition = FindSequenceDefinition(tagName, scope.tmpl, scope.parents);
    std::unique_ptr<Tag> tag = AddConfigTag(scope.owner, tagName, definition, scope.config);
    if (!tag) return;
    tag->ReadTagRules(definition);
    scope.owner->AddTag(std::move(tag));
}

void Container::AddMissingTags(const MatchScope& scope, const std::vector<Kiv::PString>& required) {
    for (const Kiv::PString& name : required) {
        if (IsBesideSmokeFile(name, *scope.owner)) continue;
        const ACSChunkRef definition = FindRequiredDefinition(name, scope.tmpl, scope.parents);
        std::unique_ptr<Tag> tag = AddConfigTag(scope.owner, name, definition, scope.config);
        if (!tag) continue;
        tag->ReadTagRules(definition);
        Report::WarningInTag(tag.get(), FormatFinding("$tet_container_missingtag", name));
        scope.owner->AddTag(std::move(tag));
    }
}

bool Container::MatchConfig(const ACSChunkRef& config, const ACSChunkRef& tmpl, Container* owner) {
    const MatchScope scope{config, tmpl, owner, ParentsOf(*this, tmpl)};
    std::vector<Kiv::PString> required = CollectRequiredNames(tmpl);
    for (const ACSChunkRef& parent : scope.parents) {
        const std::vector<Kiv::PString> more = CollectRequiredNames(parent);
        required.insert(required.end(), more.begin(), more.end());
    }
    CollectObsolete(tmpl);
    for (const ACSChunkRef& parent : scope.parents)
        CollectObsolete(parent);
    int32_t counter = 0;
    bool matched = true;
    ForEachChild(config, [&](const Kiv::PString& childName, const ACSChunkRef& child) {
        if (!matched) return;
        if (IsContainer(child))
            matched = MatchChildContainer(scope, childName, child, counter);
        else
            MatchValueTag(scope, childName, required);
    });
    if (!matched) return false;
    AddMissingTags(scope, required);
    if (owner == this) MoveIdentityTagsToFront();
    return true;
}

} // namespace DAROdi
