// The router's registry: construction and shut-down, nodes and their names, message type
// ids, and the per-major subscription trees.
#include "script_runtime/gs_router.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "foundation/utils/raw_memory.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_node.h"

namespace {

constexpr uint32_t kNameBuckets = 97;
constexpr uint32_t kSubscriptionThreshold = 256;
constexpr uint32_t kSubscriptionsPerChunk = 128;
constexpr uint32_t kMessagePoolThreshold = 1024;
constexpr uint32_t kMessagesPerChunk = 256;

// Node ids are never reused in a process; 0 is never one.
int32_t g_nextNodeId = 1;

uint32_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

char* CopyText(const char* text) {
    const size_t length = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(Utils::AllocRaw(length));
    if (copy) std::memcpy(copy, text, length);
    return copy;
}

}  // namespace

int32_t GSRouter::Subscription::Compare(const Utils::GSIAVLNode& other) const {
    const auto mine = reinterpret_cast<uintptr_t>(node);
    const auto theirs = reinterpret_cast<uintptr_t>(static_cast<const Subscription&>(other).node);
    return mine < theirs ? -1 : mine > theirs ? 1 : 0;
}

GSRouter::GSRouter(GSRouterClock clock) : clock_(clock ? std::move(clock) : GSRouterClock(SteadyMilliseconds)) {
    nodeNames_.Init(kNameBuckets);
    typeNames_.Init(kNameBuckets);
    nodesById_.Init();
    trees_.Init();
    subscriptionPool_.Init(kSubscriptionThreshold,
                           static_cast<uint32_t>(std::max(sizeof(Subscription), sizeof(Utils::GSIAVLTree))),
                           kSubscriptionsPerChunk);
    frames_[0].Init(kFrameChunkSize);
    frames_[1].Init(kFrameChunkSize);
    messagePool_.Init(kMessagePoolThreshold, sizeof(GSMessage), kMessagesPerChunk);
    lastPump_ = clock_();
    currentTime_ = lastPump_ & kGSMessageTimeMask;
}

GSRouter::~GSRouter() {
    Done();
    updateSet_.clear();
    messagePool_.FreeAll();
}

bool GSRouter::Done() {
    if (nodes_.Count() > 0) GSLog("GSRouter::Done(), %d outstanding node(s)", static_cast<int>(nodes_.Count()));
    ResetTypes();
    DetachAllNodes();
    messagePool_.MarkAllFree();
    delayed_.Clear();
    stackDumpMajor_ = stackDumpMinor_ = 0;
    return true;
}

void GSRouter::EmptyTrees() {
    subscriptionPool_.FreeAllButFirstChunk();
    trees_.Clear();
}

void GSRouter::ResetTypes() {
    EmptyTrees();
    typeNames_.Clear();
    namesById_.clear();
    lastTypeId_ = kGSTypeFirstSubscribed;
}

// Nodes leave the update set too: a detached node may be deleted, and the set must not
// keep its address.
void GSRouter::DetachAllNodes() {
    EmptyTrees();
    for (auto* at = nodes_.Begin(); at != nodes_.End(); at = at->Next()) {
        auto* node = static_cast<GSNode*>(at);
        Utils::FreeRaw(node->name_);
        node->name_ = nullptr;
    }
    nodeNames_.Clear();
    nodesById_.Clear();
    Utils::IDoubleLinkListNode* position = nodes_.Begin();
    while (auto* node = static_cast<GSNode*>(nodes_.PopNode(position))) {
        node->id_ = -1;
        node->router_ = nullptr;
        updateSet_.erase(node);
        updating_.erase(node);
        if (node->DestroyRequested()) delete node;
    }
}

bool GSRouter::AddNode(GSNode* node) {
    if (!node || node->id_ != -1 || node->router_) return false;
    const int32_t id = g_nextNodeId++;
    const Kiv::PString name = node->GetName();
    char* copy = name.IsEmpty() ? nullptr : CopyText(name.c_str());
    if (copy && !nodeNames_.Insert(copy, id)) {
        Utils::FreeRaw(copy);
        copy = nullptr;
    }
    if (!nodesById_.Insert(static_cast<uint32_t>(id), node)) {
        if (copy) nodeNames_.Erase(copy);
        Utils::FreeRaw(copy);
        return false;
    }
    node->name_ = copy;
    nodes_.PushBack(node);
    node->id_ = id;
    node->router_ = this;
    if (node->scheduled_) updateSet_.insert(node);
    return true;
}

bool GSRouter::RemoveNode(GSNode* node) {
    if (!node || node->id_ == -1 || node->router_ != this) return false;
    Utils::UIntHashTable::Iterator it;
    for (bool more = trees_.Begin(it); more && it.Current(); more = it.Next())
        RemoveSubscription(static_cast<Utils::GSIAVLTree*>(it.Current()->value), node);
    ForgetNodeName(node);
    if (!nodesById_.Find(static_cast<uint32_t>(node->id_), it)) return false;
    nodesById_.EraseAt(nullptr, it);
    Utils::IDoubleLinkListNode* position = node;
    nodes_.PopNode(position);
    node->id_ = -1;
    node->router_ = nullptr;
    updateSet_.erase(node);
    updating_.erase(node);
    return true;
}

void GSRouter::ForgetNodeName(GSNode* node) {
    if (!node->name_) return;
    Utils::StringMap::Iterator it;
    if (nodeNames_.Find(node->name_, it) && it.Current()->value == node->id_) nodeNames_.Erase(node->name_);
    Utils::FreeRaw(node->name_);
    node->name_ = nullptr;
}

GSNode* GSRouter::GetNode(int32_t id) {
    Utils::UIntHashTable::Iterator it;
    if (id <= 0 || !nodesById_.Find(static_cast<uint32_t>(id), it)) return nullptr;
    return static_cast<GSNode*>(it.Current()->value);
}

GSNode* GSRouter::GetNodeByName(const char* name) {
    Utils::StringMap::Iterator it;
    if (!name || !nodeNames_.Find(name, it)) return nullptr;
    return GetNode(it.Current()->value);
}

// Ids stop at 65,535: a wrapped counter would hand out the reserved ids below 100.
uint16_t GSRouter::GetMajorTypeId(const char* name) {
    if (!name || !*name) return kGSTypeAny;
    Utils::StringMap::Iterator it;
    if (typeNames_.Find(name, it)) return static_cast<uint16_t>(it.Current()->value);
    if (lastTypeId_ == UINT16_MAX) return 0;
    const uint16_t id = static_cast<uint16_t>(lastTypeId_ + 1);
    const auto [entry, added] = namesById_.emplace(id, Kiv::String(name));
    if (!added || !typeNames_.Insert(entry->second.c_str(), id)) {
        if (added) namesById_.erase(entry);
        return 0;
    }
    lastTypeId_ = id;
    return id;
}

Kiv::String GSRouter::GetTypeName(uint16_t id) const {
    const auto found = namesById_.find(id);
    return found == namesById_.end() ? Kiv::String() : found->second;
}

Utils::GSIAVLTree* GSRouter::FindTree(uint16_t major) {
    Utils::UIntHashTable::Iterator it;
    return trees_.Find(major, it) ? static_cast<Utils::GSIAVLTree*>(it.Current()->value) : nullptr;
}

Utils::GSIAVLTree* GSRouter::FindOrMakeTree(uint16_t major) {
    if (Utils::GSIAVLTree* tree = FindTree(major)) return tree;
    void* block = subscriptionPool_.Alloc();
    if (!block) return nullptr;
    auto* tree = new (block) Utils::GSIAVLTree();
    if (trees_.Insert(major, tree)) return tree;
    tree->~GSIAVLTree();
    subscriptionPool_.Free(block);
    return nullptr;
}

GSRouter::Subscription* GSRouter::FindSubscription(Utils::GSIAVLTree* tree, GSNode* node) {
    if (!tree) return nullptr;
    const Subscription query(node, 0);
    return static_cast<Subscription*>(tree->Find(query));
}

void GSRouter::RemoveSubscription(Utils::GSIAVLTree* tree, GSNode* node) {
    const Subscription query(node, 0);
    auto* removed = static_cast<Subscription*>(tree->Remove(query));
    if (!removed) return;
    removed->~Subscription();
    subscriptionPool_.Free(removed);
}

bool GSRouter::Subscribe(GSNode* node, uint16_t major) {
    if (!node || node->id_ == -1 || node->router_ != this) return false;
    Utils::GSIAVLTree* tree = FindOrMakeTree(major);
    if (!tree) return false;
    if (Subscription* existing = FindSubscription(tree, node)) {
        ++existing->count;
        return true;
    }
    void* block = subscriptionPool_.Alloc();
    if (!block) return false;
    auto* subscription = new (block) Subscription(node, 1);
    if (tree->Insert(subscription)) return true;
    subscription->~Subscription();
    subscriptionPool_.Free(block);
    return false;
}

bool GSRouter::Unsubscribe(GSNode* node, uint16_t major) {
    if (!node || node->id_ == -1 || node->router_ != this) return false;
    Utils::GSIAVLTree* tree = FindTree(major);
    Subscription* subscription = FindSubscription(tree, node);
    if (!subscription) return false;
    if (--subscription->count < 1) RemoveSubscription(tree, node);
    return true;
}

int32_t GSRouter::SubscriptionCount(GSNode* node, uint16_t major) {
    const Subscription* subscription = FindSubscription(FindTree(major), node);
    return subscription ? subscription->count : 0;
}
