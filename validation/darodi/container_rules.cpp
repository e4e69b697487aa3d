// The rule tables and the attaching and running of rules. A template's or definition's
// "validation" container names rules, each child being the rule's argument soup; rule names
// match table rows exactly. A template's container rules include its parents' (depth
// first), merged into the template itself: an inherited rule replaces an own rule of the
// same name. An inheritance chain that comes back to a template being merged is reported
// and stops the attaching.
#include <algorithm>
#include <array>

#include "validation/darodi/container.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/report.h"
#include "validation/darodi/rules.h"
#include "validation/darodi/soup_walk.h"

namespace DAROdi {

namespace {

template <typename Callback> struct RuleRow {
    Kiv::PString name;
    Callback callback;
};

const std::array<RuleRow<ContainerRule>, 4>& ContainerRuleTable() {
    static const auto* table = new std::array<RuleRow<ContainerRule>, 4>{{
        {Kiv::PString("uniquenames"), &Rules::UniqueNames},
        {Kiv::PString("hasvalidtexturefile"), &Rules::HasValidTextureFile},
        {Kiv::PString("meshtablehasshadow"), &Rules::MeshTableHasShadow},
        {Kiv::PString("meshtablehasvisiblemesh"), &Rules::MeshTableHasVisibleMesh},
    }};
    return *table;
}

const std::array<RuleRow<TagRule>, 11>& TagRuleTable() {
    static const auto* table = new std::array<RuleRow<TagRule>, 11>{{
        {Kiv::PString("istracksidetype"), &Rules::IsTracksideType},
        {Kiv::PString("needcollatemeshes"), &Rules::NeedCollateMeshes},
        {Kiv::PString("ispositive"), &Rules::IsPositive},
        {Kiv::PString("isnotzero"), &Rules::IsNotZero},
        {Kiv::PString("scriptfileexists"), &Rules::ScriptFileExists},
        {Kiv::PString("range"), &Rules::Range},
        {Kiv::PString("arraysize"), &Rules::ArraySize},
        {Kiv::PString("notownparent"), &Rules::NotOwnParent},
        {Kiv::PString("mustbeownparent"), &Rules::MustBeOwnParent},
        {Kiv::PString("mustbeinlightcontainer"), &Rules::MustBeInLightContainer},
        {Kiv::PString("mustbepaired"), &Rules::MustBePaired},
    }};
    return *table;
}

// Parents' rules into rules, grandparents first; false on a cycle.
bool MergeInheritedRules(Container& target, ACSChunkRef& rules, const ACSChunkRef& inherit,
                         std::vector<Kiv::PString>& chain) {
    const Keywords& w = Words();
    bool merged = true;
    ForEachChild(inherit, [&](const Kiv::PString& name, const ACSChunkRef&) {
        if (!merged) return;
        if (std::find(chain.begin(), chain.end(), name) != chain.end()) {
            Report::ErrorInContainer(&target, FormatFinding("$tet_container_cyclicinherit", name));
            merged = false;
            return;
        }
        const ACSChunkRef parent = target.GetTemplate(name);
        chain.push_back(name);
        merged = MergeInheritedRules(target, rules, parent.GetNamedSoup(w.inherit), chain);
        chain.pop_back();
        if (merged) MergeEntries(rules, parent.GetNamedSoup(w.validation));
    });
    return merged;
}

} // namespace

void Tag::ReadTagRules(const ACSChunkRef& definition) {
    ForEachChild(definition.GetNamedSoup(Words().validation),
                 [&](const Kiv::PString& ruleName, const ACSChunkRef& arguments) {
                     for (const auto& row : TagRuleTable()) {
                         if (row.name != ruleName) continue;
                         rules.push_back(row.callback);
                         ruleArguments.push_back(arguments);
                     }
                 });
}

bool Tag::RunRules() {
    bool passed = true;
    for (size_t i = 0; i < rules.size(); ++i)
        passed = rules[i](*this, ruleArguments[i]) && passed;
    return passed;
}

bool Container::ReadContainerRules(const ACSChunkRef& tmpl, Container& target) {
    const Keywords& w = Words();
    ACSChunkRef rules = tmpl.GetNamedSoup(w.validation);
    const bool hadRules = !rules.IsNull();
    std::vector<Kiv::PString> chain;
    if (!MergeInheritedRules(target, rules, tmpl.GetNamedSoup(w.inherit), chain)) return false;
    if (!hadRules && !rules.IsNull()) {
        ACSChunkRef owner = tmpl;
        owner.SetNamedSoup(w.validation, rules);
    }
    ForEachChild(rules, [&](const Kiv::PString& ruleName, const ACSChunkRef& arguments) {
        for (const auto& row : ContainerRuleTable())
            if (row.name == ruleName) target.AddContainerRule(row.callback, arguments);
    });
    return true;
}

bool Container::RunContainerRules() {
    bool passed = true;
    for (size_t i = 0; i < Rules().size(); ++i)
        passed = Rules()[i](*this, RuleArguments()[i]) && passed;
    return passed;
}

} // namespace DAROdi
