// The data manager's keyed lists, attachment listeners and mesh objects. A container or tag
// that goes is removed from every list that names it, so no list holds a deleted object.
#include <algorithm>

#include "engine/pstring.h"
#include "engine/resource_system.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/mesh_object.h"

namespace DAROdi {

namespace {

template <typename Item> void EraseAll(std::vector<Item*>& list, const Item* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

void DataManager::RegisterListItemB(const Kiv::PString& listName, Tag* item) {
    listB_[listName].push_back(item);
    OnListChanged();
}

void DataManager::RegisterListItemA(const Kiv::PString& listName, Container* item) {
    listA_[listName].push_back(item);
    OnListChanged();
}

const std::vector<Container*>& DataManager::ListItemsA(const Kiv::PString& listName) const {
    static const std::vector<Container*> kNone;
    auto found = listA_.find(listName);
    return found == listA_.end() ? kNone : found->second;
}

void DataManager::RegisterAttachmentTag(Tag* tag) {
    if (std::find(attachmentTags_.begin(), attachmentTags_.end(), tag) == attachmentTags_.end())
        attachmentTags_.push_back(tag);
    OnAttachmentsChanged();
}

void DataManager::RegisterUniqueAttachmentTag(Tag* tag) {
    uniqueAttachmentTags_.push_back(tag);
    OnUniqueAttachmentsChanged();
}

bool DataManager::IsFileListed(const Kiv::PString& fileName, const Kiv::PString& key) const {
    for (const Container* item : ListItemsA(key)) {
        if (item->name == fileName) return true;
    }
    for (const auto& [owner, mesh] : meshes_) {
        for (const Kiv::PString& attachment : mesh->GetAttachmentNames()) {
            if (attachment == fileName) return true;
        }
    }
    return false;
}

void DataManager::RemoveContainerItems() {
    listA_.erase(Words().attachedTrack);
}

void DataManager::RemoveQueueItems() {
    listA_.erase(Words().queues);
}

void DataManager::RemoveMeshTableItems() {
    listA_.erase(Words().meshTable);
}

void DataManager::ForgetContainer(const Container* container) {
    for (auto& [listName, items] : listA_)
        EraseAll(items, container);
}

void DataManager::ForgetTag(const Tag* tag) {
    for (auto& [listName, items] : listB_)
        EraseAll(items, tag);
    EraseAll(attachmentTags_, tag);
    EraseAll(uniqueAttachmentTags_, tag);
}

void DataManager::AddContainerMesh(const Container* container, std::unique_ptr<MeshObject> mesh) {
    currentMesh_ = mesh.get();
    meshes_[container] = std::move(mesh);
}

MeshObject* DataManager::FindContainerMesh(const Container* container) const {
    auto found = meshes_.find(container);
    return found == meshes_.end() ? nullptr : found->second.get();
}

void DataManager::RemoveContainerMesh(const Container* container) {
    auto found = meshes_.find(container);
    if (found == meshes_.end()) return;
    if (currentMesh_ == found->second.get()) currentMesh_ = nullptr;
    meshes_.erase(found);
    OnAttachmentsChanged();
    OnUniqueAttachmentsChanged();
}

void DataManager::PurgeLoaded() {
    meshes_.clear();
    currentMesh_ = nullptr;
    DumpUnusedResources();
    Kiv::PStringCache::CollectGarbage();
}

void DataManager::DumpUnusedResources() {
    if (Kiv::ResourceSystem* resources = Kiv::ResourceSystem::Current())
        resources->DumpUnusedResourcesFromCache();
}

}  // namespace DAROdi
