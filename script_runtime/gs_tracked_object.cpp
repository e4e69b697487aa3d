// The tracked-object registry: free lists per block, and the three teardown passes.
#include "script_runtime/gs_tracked_object.h"

GSTrackedObject::GSTrackedObject(GSTrackedObjectRegistry* registry) {
    if (registry) registry->Add(this);
}

GSTrackedObject::~GSTrackedObject() {
    if (registrySlot_) registrySlot_->block->owner->Remove(this);
}

GSContext* GSTrackedObject::GetContext() const {
    if (!registrySlot_) return nullptr;
    return registrySlot_->block->owner->Owner();
}

GSTrackedObjectRegistry::~GSTrackedObjectRegistry() {
    for (Block* block : blocks_) delete block;
}

void GSTrackedObjectRegistry::Add(GSTrackedObject* object) {
    if (!current_) current_ = FindFreeBlock();
    if (!current_) current_ = AddBlock();
    Block* block = current_;
    Slot* slot = block->freeHead;
    block->freeHead = slot->nextFree;
    if (!block->freeHead) current_ = nullptr;
    slot->object = object;
    slot->nextFree = nullptr;
    slot->block = block;
    object->registrySlot_ = slot;
}

void GSTrackedObjectRegistry::Remove(GSTrackedObject* object) {
    Slot* slot = object->registrySlot_;
    if (!slot) return;
    Block* block = slot->block;
    slot->object = nullptr;
    slot->block = nullptr;
    slot->nextFree = block->freeHead;
    block->freeHead = slot;
    object->registrySlot_ = nullptr;
}

GSTrackedObjectRegistry::Block* GSTrackedObjectRegistry::FindFreeBlock() const {
    for (Block* block : blocks_)
        if (block->freeHead) return block;
    return nullptr;
}

GSTrackedObjectRegistry::Block* GSTrackedObjectRegistry::AddBlock() {
    Block* block = new Block;
    InitBlock(block);
    blocks_.push_back(block);
    return block;
}

void GSTrackedObjectRegistry::InitBlock(Block* block) {
    block->owner = this;
    for (int i = 0; i < GSTrackedObject::kSlotsPerBlock; ++i) {
        Slot& slot = block->slots[i];
        slot.object = nullptr;
        slot.block = nullptr;
        slot.nextFree = i + 1 < GSTrackedObject::kSlotsPerBlock ? &block->slots[i + 1] : nullptr;
    }
    block->freeHead = &block->slots[0];
}

void GSTrackedObjectRegistry::ForEachInBlock(Block* block, Operation operation) {
    for (Slot& slot : block->slots) {
        GSTrackedObject* object = slot.block ? slot.object : nullptr;
        if (!object) continue;
        switch (operation) {
            case kPin: object->Pin(); break;
            case kDropReferences: object->DropReferences(); break;
            case kDiscard: object->Discard(); break;
        }
    }
}

void GSTrackedObjectRegistry::Teardown() {
    current_ = nullptr;
    for (Block* block : blocks_) ForEachInBlock(block, kPin);
    for (Block* block : blocks_) ForEachInBlock(block, kDropReferences);
    for (Block* block : blocks_) {
        ForEachInBlock(block, kDiscard);
        delete block;
    }
    blocks_.clear();
    blocks_.shrink_to_fit();
}

int GSTrackedObjectRegistry::BlockIndexOf(const GSTrackedObject* object) const {
    const Slot* slot = object->registrySlot_;
    if (!slot) return -1;
    for (size_t i = 0; i < blocks_.size(); ++i)
        if (blocks_[i] == slot->block) return static_cast<int>(i);
    return -1;
}
