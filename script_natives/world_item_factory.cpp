// The registry of world item factories: a block list, made on first use and freed when the
// last factory leaves.
#include "script_natives/world_item_factory.h"

#include <memory>
#include <mutex>

#include "foundation/containers/block_array.h"

namespace {

using Registry = BlockArray<WorldItemFactory*, 16>;

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}
std::unique_ptr<Registry>& TheRegistry() {
    static std::unique_ptr<Registry> registry;
    return registry;
}

WorldItemFactory* FindFactory(int32_t typeCode) {
    std::lock_guard<std::mutex> guard(RegistryLock());
    const std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) return nullptr;
    auto found = registry->FindIf(
        [typeCode](WorldItemFactory* factory) { return factory->GetTypeCode() == typeCode; });
    return found.IsEnd() ? nullptr : *found;
}

}  // namespace

WorldItemFactory::WorldItemFactory(int32_t typeCode, const char* name)
    : typeCode_(typeCode), name_(name) {
    std::lock_guard<std::mutex> guard(RegistryLock());
    std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) registry = std::make_unique<Registry>();
    registry->PushBack(this);
}

WorldItemFactory::~WorldItemFactory() {
    std::lock_guard<std::mutex> guard(RegistryLock());
    std::unique_ptr<Registry>& registry = TheRegistry();
    if (!registry) return;
    registry->Erase(registry->Find(this));
    if (registry->IsEmpty()) registry.reset();
}

WorldFactoryItem* WorldItemFactory::Create(int32_t typeCode, void* owner, TStream& stream) {
    WorldItemFactory* factory = FindFactory(typeCode);
    return factory ? factory->Create(owner, stream) : nullptr;
}

void WorldItemFactory::Destroy(WorldItemFactory* factory) { delete factory; }
