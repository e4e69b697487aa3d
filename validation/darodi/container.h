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
    // the config against it (container_resolve.cpp).
    virtual bool ResolveKind(const ACSChunkRef& config);
    // Writes the checked tree back into soup (container_export.cpp).
    virtual bool Export(ACSChunkRef& soup);
    // Runs the container rules of the tree (container_rules.cpp).
    virtual bool RunContainerRules();

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
