// A Container's own operations: filing tags, pending tags, children, rules, extensions, and
// its clean removal from the handler and the data manager.
#include "validation/darodi/container.h"

#include <algorithm>
#include <atomic>

#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/keywords.h"

namespace DAROdi {

namespace {

std::atomic<int64_t> g_constructed{0};

bool IsIdentityName(const Kiv::PString& name) {
    return name.EqualsIgnoreCase(Words().kuid) || name.EqualsIgnoreCase(Words().username);
}

} // namespace

Container::Container() {
    g_constructed.fetch_add(1);
}

// The tags and children go after this body, each cleaning up after itself.
Container::~Container() {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->RemoveContainerEntry(this);
    DataManager* manager = DataManager::Existing();
    if (!manager) return;
    manager->RemoveContainerMesh(this);
    manager->RemoveContainerItems();
    manager->RemoveQueueItems();
    manager->RemoveMeshTableItems();
    manager->ForgetContainer(this);
    manager->DumpUnusedResources();
}

void Container::AddTag(std::unique_ptr<Tag> tag) {
    if (!tag) return;
    if (IsIdentityName(tag->name))
        identityTags_.push_back(std::move(tag));
    else
        tags_.push_back(std::move(tag));
}

void Container::RemovePendingTag(const Kiv::PString& tagName) {
    auto found = std::find_if(pendingTags_.begin(), pendingTags_.end(),
                              [&](const std::unique_ptr<Tag>& tag) { return tag->name == tagName; });
    if (found != pendingTags_.end()) pendingTags_.erase(found);
}

std::unique_ptr<Tag> Container::CreateTag(int32_t tagIndex, Container* tagParent,
                                          const Kiv::PString& tagName) {
    auto tag = std::make_unique<Tag>();
    tag->index = tagIndex;
    tag->parent = tagParent;
    tag->name = tagName;
    return tag;
}

void Container::SetExtensions(const ACSChunkRef& soup) {
    extensions_.CopyFrom(soup);
}

void Container::AddPendingTag(std::unique_ptr<Tag> tag) {
    if (tag) pendingTags_.push_back(std::move(tag));
}

void Container::MoveIdentityTagsToFront() {
    tags_.insert(tags_.begin(), std::make_move_iterator(identityTags_.begin()),
                 std::make_move_iterator(identityTags_.end()));
    identityTags_.clear();
}

void Container::AddChild(std::unique_ptr<Container> child) {
    if (child) children_.push_back(std::move(child));
}

void Container::AddContainerRule(ContainerRule rule, const ACSChunkRef& arguments) {
    rules_.push_back(rule);
    ruleArguments_.push_back(arguments);
}

int64_t Container::ConstructedCount() {
    return g_constructed.load();
}

} // namespace DAROdi
