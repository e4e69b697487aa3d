// DAROdi::Container: one checked container of an asset's config (the root is the config
// itself), built while the config is matched against its kind's template: the template
// that applies, the child containers in config order, the value tags, the compulsory tags
// still missing, the container's rules and what export writes back. A Container owns its
// children and tags; the validation driver owns the root, whose deletion takes the whole
// tree down. A deleted Container leaves no trace: its first finding goes from the error
// handler and the rest forget it, and the data manager drops its mesh and every list entry
// that names it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"
#include "validation/darodi/tag.h"

namespace DAROdi {

// The top-level template of a kind (looked up lower-cased), or null.
ACSChunkRef FindTemplate(const Kiv::PString& kind);

// The definition of a value tag: the template's own subpossibilities entry, then each
// parent's subpossibilities and tagarray entries, then the template's tagarray entry.
ACSChunkRef FindTagDefinition(const Kiv::PString& tagName, const ACSChunkRef& tmpl,
                              const std::vector<ACSChunkRef>& parents);

class MeshObject;

// A rule attached to a container: the container and the rule's argument soup.
using ContainerRule = bool (*)(Container& container, const ACSChunkRef& arguments);

class Container {
  public:
    Container();
    virtual ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // The root check of an asset config: resolves the kind, builds its template and matches
    // the config against it (container_resolve.cpp). False for a config without a kind or
    // template, a cyclic inheritance, or a child container that could not be made.
    virtual bool ResolveKind(const ACSChunkRef& config);
    // Checks every tag by its type and writes the checked tree back into soup; each child
    // is exported, then its container rules run (container_export.cpp).
    virtual bool Export(ACSChunkRef& soup);
    // Runs this container's own rules, in attachment order; false when any failed
    // (container_rules.cpp).
    virtual bool RunContainerRules();

    // Template building (container_template.cpp). The merged template of a name, or null.
    ACSChunkRef GetTemplate(const Kiv::PString& templateName) const;
    // Inheritance, definitions, element templates and pending compulsory tags of tmpl on
    // this container; false (after a finding) for a cyclic inheritance.
    bool BuildTemplate(const ACSChunkRef& tmpl, int flag);
    // Records an element template by name, each name once.
    void RecordElementTemplate(const Kiv::PString& templateName);
    // Names of the compulsory value definitions of tmpl's own subpossibilities.
    std::vector<Kiv::PString> CollectRequiredNames(const ACSChunkRef& tmpl) const;
    // Files the names tmpl retires at this build into the obsolete list and copies its
    // retired entries into tmpl's subpossibilities.
    void CollectObsolete(const ACSChunkRef& tmpl);
    // Attaches the container rules of tmpl, inherited ones merged in, to target; false (after
    // a finding) for a cyclic inheritance (container_rules.cpp).
    bool ReadContainerRules(const ACSChunkRef& tmpl, Container& target);

    // Matching (container_match.cpp); called on the root for every level.
    bool MatchConfig(const ACSChunkRef& config, const ACSChunkRef& tmpl, Container* owner);
    ACSChunkRef FindSubPossibility(const ACSChunkRef& tmpl, const Kiv::PString& childName) const;
    bool FindContainerDefinition(const ACSChunkRef& tmpl, const Kiv::PString& childName,
                                 Container* owner, ACSChunkRef& out) const;
    Kiv::PString GetContainerType(const ACSChunkRef& definition,
                                  const Kiv::PString& childKind) const;
    std::unique_ptr<Container> CreateChildContainer(const Kiv::PString& childName,
                                                    Container* childParent,
                                                    const Kiv::PString& childTemplate,
                                                    int32_t childIndex, const ACSChunkRef& config);
    // A new classified Tag for name; null when the owner already has one of that name.
    std::unique_ptr<Tag> AddConfigTag(Container* owner, const Kiv::PString& tagName,
                                      const ACSChunkRef& definition, const ACSChunkRef& config);
    // Classifies tag by its definition's type (tag_check.cpp).
    bool CheckTag(Tag& tag, const ACSChunkRef& definition, const ACSChunkRef& config,
                  Container* owner);
    // The tag of that name in the tag list, or null.
    Tag* FindTag(const Kiv::PString& tagName) const;
    // The child container of that name, or null.
    Container* FindChild(const Kiv::PString& childName) const;

    // Files tag as an identity tag when its name is "kuid" or "username" in any case,
    // else as a value tag; the container owns it from now on.
    virtual void AddTag(std::unique_ptr<Tag> tag);
    // Deletes the first pending compulsory tag of that name; none: nothing.
    virtual void RemovePendingTag(const Kiv::PString& name);
    // A new Tag with its index, parent and name set.
    virtual std::unique_ptr<Tag> CreateTag(int32_t tagIndex, Container* tagParent,
                                           const Kiv::PString& tagName);
    // Keeps a deep copy of soup, which export then writes back as "extensions" alone.
    virtual void SetExtensions(const ACSChunkRef& soup);

    void AddPendingTag(std::unique_ptr<Tag> tag);
    // Identity tags end matching at the front of the tag list, in the order filed.
    void MoveIdentityTagsToFront();
    void AddChild(std::unique_ptr<Container> child);
    void AddContainerRule(ContainerRule rule, const ACSChunkRef& arguments);

    void SetConfig(const ACSChunkRef& soup) { config_ = soup; }
    void SetTemplates(const ACSChunkRef& soup) { templates_ = soup; }
    void SetTagArray(const ACSChunkRef& soup) { tagArray_ = soup; }
    // The whole asset config, shared.
    ACSChunkRef GetConfig() const { return config_; }
    const ACSChunkRef& GetTemplates() const { return templates_; }
    const ACSChunkRef& GetTagArray() const { return tagArray_; }
    const ACSChunkRef& GetExtensions() const { return extensions_; }

    const std::vector<std::unique_ptr<Container>>& Children() const { return children_; }
    const std::vector<std::unique_ptr<Tag>>& Tags() const { return tags_; }
    const std::vector<std::unique_ptr<Tag>>& IdentityTags() const { return identityTags_; }
    const std::vector<std::unique_ptr<Tag>>& PendingTags() const { return pendingTags_; }
    const std::vector<ContainerRule>& Rules() const { return rules_; }
    const std::vector<ACSChunkRef>& RuleArguments() const { return ruleArguments_; }

    // Containers constructed in this process.
    static int64_t ConstructedCount();

    int32_t index = -1;
    Kiv::PString name;
    Kiv::PString templateName;
    Kiv::PString exportName; // empty: the container's name is written
    std::vector<ACSChunkRef> elementTemplates;
    std::vector<ACSChunkRef> requiredElementTemplates;
    std::vector<Kiv::PString> obsoleteNames;
    std::vector<Kiv::PString> elementTemplateNames;
    Container* parent = nullptr;
    bool isRoot = false;
    std::vector<Kiv::PString> inheritedTemplateNames;
    MeshObject* meshObject = nullptr; // owned by the data manager

  private:
    // What one level of matching works on: the config container, its template, the
    // Container it fills and the template's direct parents.
    struct MatchScope {
        const ACSChunkRef& config;
        const ACSChunkRef& tmpl;
        Container* owner;
        std::vector<ACSChunkRef> parents;
    };
    // A child container of the config; false when it could not be made or matched.
    bool MatchChildContainer(const MatchScope& scope, const Kiv::PString& childName,
                             const ACSChunkRef& sub, int32_t& counter);
    void ReportUndefinedContainer(const MatchScope& scope, const Kiv::PString& childName);
    bool MatchTypedChild(const MatchScope& scope, const Kiv::PString& childName,
                         const ACSChunkRef& sub, const Kiv::PString& typeName, int32_t& counter);
    bool MatchElementChild(const MatchScope& scope, const Kiv::PString& childName,
                           const ACSChunkRef& sub, const ACSChunkRef& definition,
                           int32_t& counter);
    bool MatchSmokeChild(const MatchScope& scope, const Kiv::PString& childName,
                         const ACSChunkRef& sub, const ACSChunkRef& definition, int32_t& counter);
    void MatchValueTag(const MatchScope& scope, const Kiv::PString& tagName,
                       std::vector<Kiv::PString>& required);
    void AddMissingTags(const MatchScope& scope, const std::vector<Kiv::PString>& required);

    std::vector<std::unique_ptr<Container>> children_;
    std::vector<std::unique_ptr<Tag>> tags_;
    std::vector<std::unique_ptr<Tag>> identityTags_;
    std::vector<std::unique_ptr<Tag>> pendingTags_;
    ACSChunkRef tagArray_;
    ACSChunkRef config_;
    ACSChunkRef templates_;
    std::vector<ContainerRule> rules_;
    std::vector<ACSChunkRef> ruleArguments_;
    ACSChunkRef extensions_;
};

} // namespace DAROdi
