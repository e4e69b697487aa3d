// Tracked script objects: every script instance header (class instances, and the headers
// embedded in arrays and strings) registers with its context's GSTrackedObjectRegistry, so
// that the context's end can free what reference counting alone cannot (cycles). The
// registry hands out slots from blocks of 1,022, each with a free list; registration and
// removal are a pop and a push. The teardown walks every used slot three times: pin (raise
// every count), drop references (break every link), discard (delete every object).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class GSContext;
class GSTrackedObjectRegistry;

class GSTrackedObject {
  public:
    struct Block;
    struct Slot {
        GSTrackedObject* object; // null while free
        Slot* nextFree;          // the next free slot of the block while free
        Block* block;            // null while free
    };
    static constexpr int kSlotsPerBlock = 1022;
    struct Block {
        GSTrackedObjectRegistry* owner;
        Slot* freeHead;
        Slot slots[kSlotsPerBlock];
    };

    explicit GSTrackedObject(GSTrackedObjectRegistry* registry);
    GSTrackedObject(const GSTrackedObject&) = delete;
    GSTrackedObject& operator=(const GSTrackedObject&) = delete;

    virtual void Pin() {}
    virtual void DropReferences() {}
    virtual void Discard() { registrySlot_ = nullptr; }

    // The context whose registry holds the object, or null.
    GSContext* GetContext() const;
    Slot* RegistrySlot() const { return registrySlot_; }

  protected:
    // Not virtual: an owner destroys its tracked objects as what they are.
    ~GSTrackedObject();

  private:
    friend class GSTrackedObjectRegistry;
    Slot* registrySlot_ = nullptr;
};

class GSTrackedObjectRegistry {
  public:
    explicit GSTrackedObjectRegistry(GSContext* owner) : owner_(owner) {}
    ~GSTrackedObjectRegistry();
    GSTrackedObjectRegistry(const GSTrackedObjectRegistry&) = delete;
    GSTrackedObjectRegistry& operator=(const GSTrackedObjectRegistry&) = delete;

    void Add(GSTrackedObject* object);
    void Remove(GSTrackedObject* object);
    // Pin, drop references, discard: every object still registered is deleted and every
    // block freed.
    void Teardown();

    GSContext* Owner() const { return owner_; }
    size_t BlockCount() const { return blocks_.size(); }
    // The index in the block list of the block holding the object, or -1.
    int BlockIndexOf(const GSTrackedObject* object) const;

  private:
    using Block = GSTrackedObject::Block;
    using Slot = GSTrackedObject::Slot;
    enum Operation { kPin, kDropReferences, kDiscard };
    Block* FindFreeBlock() const;
    Block* AddBlock();
    void InitBlock(Block* block);
    static void ForEachInBlock(Block* block, Operation operation);

    GSContext* owner_;
    std::vector<Block*> blocks_;
    Block* current_ = nullptr;
};
