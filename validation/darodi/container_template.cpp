// Building a container's effective template: the definitions, tag array and element
// templates of its inheritance (depth first, an own entry replacing an inherited one) and
// its own, the required element templates, the pending compulsory tags, and the retired
// names of the asset's build. An inheritance chain that comes back to a template it is
// resolving is reported and stops the build.
#include <algorithm>

#include "validation/darodi/build_stamp.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/report.h"
#include "validation/darodi/soup_walk.h"

namespace DAROdi {

namespace {

constexpr float kDefaultObsoleteVersion = 2.6f;

struct Accumulators {
    ACSChunkRef definitions;
    ACSChunkRef tagArray;
    ACSChunkRef arrayElements;
};

void MergeParts(Accumulators& into, const ACSChunkRef& tmpl) {
    const Keywords& w = Words();
    MergeEntries(into.definitions, tmpl.GetNamedSoup(w.subpossibilities));
    MergeEntries(into.tagArray, tmpl.GetNamedSoup(w.tagarray));
    ForEachChild(tmpl.GetNamedSoup(w.arrayElement),
                 [&](const Kiv::PString& name, const ACSChunkRef&) {
                     const Kiv::String value = tmpl.GetNamedSoup(w.arrayElement).GetNamedTag(name);
                     into.arrayElements.SetNamedTagString(name, value.c_str());
                 });
}

bool IsResolving(const std::vector<Kiv::PString>& chain, const Kiv::PString& name) {
    return std::find(chain.begin(), chain.end(), name) != chain.end();
}

// Parents' parts before the parents' own, each name of inherit in order.
bool ResolveInheritance(Container& container, Accumulators& into, const ACSChunkRef& inherit,
                        std::vector<Kiv::PString>& chain) {
    bool resolved = true;
    ForEachChild(inherit, [&](const Kiv::PString& name, const ACSChunkRef&) {
        if (!resolved) return;
        container.inheritedTemplateNames.push_back(name);
        if (IsResolving(chain, name)) {
            Report::ErrorInContainer(&container,
                                     FormatFinding("$tet_container_cyclicinherit", name));
            resolved = false;
            return;
        }
        const ACSChunkRef parent = container.GetTemplate(name);
        const ACSChunkRef grandparents = parent.GetNamedSoup(Words().inherit);
        chain.push_back(name);
        if (!grandparents.IsNull()) resolved = ResolveInheritance(container, into, grandparents, chain);
        chain.pop_back();
        if (resolved) MergeParts(into, parent);
    });
    return resolved;
}

void AddDefinition(Container& container, const Kiv::PString& name, const ACSChunkRef& definition) {
    const Keywords& w = Words();
    const Kiv::PString kind = definition.GetNamedTag(w.kindKey).ToPString();
    const bool compulsory = definition.GetNamedTagAsInt(w.compulsory, 0) != 0;
    if (kind == w.element) {
        const Kiv::PString elementType = definition.GetNamedTag(w.elementType).ToPString();
        if (compulsory) container.requiredElementTemplates.push_back(container.GetTemplate(elementType));
        container.RecordElementTemplate(elementType);
    } else if (kind == w.value && compulsory) {
        std::unique_ptr<Tag> tag = container.AddConfigTag(&container, name, definition, ACSChunkRef());
        if (!tag) return;
        tag->ReadTagRules(definition);
        container.AddPendingTag(std::move(tag));
    }
}

} // namespace

ACSChunkRef Container::GetTemplate(const Kiv::PString& templateName) const {
    if (templateName.IsEmpty()) return ACSChunkRef();
    return GetTemplates().GetNamedSoup(templateName);
}

void Container::RecordElementTemplate(const Kiv::PString& templateName) {
    if (std::find(elementTemplateNames.begin(), elementTemplateNames.end(), templateName) !=
        elementTemplateNames.end())
        return;
    elementTemplateNames.push_back(templateName);
    elementTemplates.push_back(GetTemplate(templateName));
}

bool Container::BuildTemplate(const ACSChunkRef& tmpl, int) {
    Accumulators parts;
    const ACSChunkRef inherit = tmpl.GetNamedSoup(Words().inherit);
    std::vector<Kiv::PString> chain;
    if (!inherit.IsNull() && !ResolveInheritance(*this, parts, inherit, chain)) return false;
    MergeParts(parts, tmpl);
    ForEachChild(parts.definitions, [&](const Kiv::PString& name, const ACSChunkRef& definition) {
        if (name.IsEmpty() || !IsContainer(definition)) return;
        AddDefinition(*this, name, definition);
    });
    if (IsContainer(parts.tagArray)) SetTagArray(parts.tagArray);
    ForEachChild(parts.arrayElements, [&](const Kiv::PString& name, const ACSChunkRef&) {
        RecordElementTemplate(parts.arrayElements.GetNamedTag(name).ToPString());
    });
    return true;
}

std::vector<Kiv::PString> Container::CollectRequiredNames(const ACSChunkRef& tmpl) const {
    const Keywords& w = Words();
    std::vector<Kiv::PString> names;
    ForEachChild(tmpl.GetNamedSoup(w.subpossibilities),
                 [&](const Kiv::PString& name, const ACSChunkRef& definition) {
                     if (!IsContainer(definition)) return;
                     if (definition.GetNamedTagAsInt(w.compulsory, 0) == 0) return;
                     if (definition.GetNamedTag(w.kindKey).ToPString() == w.element) return;
                     names.push_back(name);
                 });
    return names;
}

void Container::CollectObsolete(const ACSChunkRef& tmpl) {
    const Keywords& w = Words();
    const ACSChunkRef retired = tmpl.GetNamedSoup(w.obsoleteTag);
    if (retired.IsNull()) return;
    const int build = StampHundredthsRounded(DataManager::Instance().buildStamp);
    ACSChunkRef subpossibilities = tmpl.GetNamedSoup(w.subpossibilities);
    if (subpossibilities.IsNull()) {
        ACSChunkRef owner = tmpl;
        owner.SetNamedSoup(w.subpossibilities, subpossibilities);
    }
    ForEachChild(retired, [&](const Kiv::PString& name, const ACSChunkRef& entry) {
        ACSChunkRef version;
        if (IsContainer(entry)) version = entry;
        const float retiredAt = version.GetNamedTagAsFloat(w.obsoleteVersion, kDefaultObsoleteVersion);
        if (build >= StampHundredthsRounded(retiredAt)) obsoleteNames.push_back(name);
        ReplaceEntry(subpossibilities, name, entry);
    });
}

} // namespace DAROdi
