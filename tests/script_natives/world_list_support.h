// Test items and factories for the world-list tests: an item that records what the list
// does to it and carries a byte payload, an item state and a state, and a factory that
// makes such items from a stream. Streams are memory streams filled from byte vectors.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "foundation/streams/buffer_stream.h"
#include "script_natives/world_item_factory.h"
#include "script_natives/world_list.h"

namespace worldtest {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kLibraryType = 0x67736C62; // 'gslb'
constexpr int32_t kStateType = 0x6A6E4F62;   // 'jnOb'

inline void PutInt32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
// Little-endian int32 words, then raw bytes.
inline Bytes Words(std::initializer_list<uint32_t> words) {
    Bytes bytes;
    for (uint32_t word : words) PutInt32(bytes, word);
    return bytes;
}
inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Every byte left in the stream.
inline std::string Remaining(TStream& stream) {
    std::string text;
    char byte = 0;
    while (stream.ReadBytes(&byte, 1) == 1) text.push_back(byte);
    return text;
}

class MemoryStream : public BufferStream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(const Bytes& bytes) {
        if (!bytes.empty()) Buffer().Write(bytes.data(), 1, bytes.size());
        Buffer().Seek(0, 0);
    }
    Bytes Contents() {
        return Bytes(Buffer().GetData(), Buffer().GetData() + Buffer().GetDataLength());
    }
};

class TestItem : public WorldListItem {
  public:
    explicit TestItem(int32_t typeCode = kLibraryType, int32_t flags = 1, int* deaths = nullptr)
        : typeCode_(typeCode), flags_(flags), deaths_(deaths) {}
    ~TestItem() override {
        if (deaths_) ++*deaths_;
    }

    int32_t GetTypeCode() override { return typeCode_; }
    int32_t GetFlags() override { return flags_; }
    KUID GetKUID() override { return kuid; }
    void GetBounds(WorldBounds& out) override { out = bounds; }
    void Tick() override { events.push_back("tick"); }
    void Notify(int32_t value, int32_t flags) override {
        events.push_back("notify " + std::to_string(value) + " " + std::to_string(flags));
    }
    void OnAdded() override { events.push_back("added"); }
    void OnRemoved() override { events.push_back("removed"); }

    void ReadState(TStream& stream) override {
        payload = Remaining(stream);
        seenListId = WorldList::CurrentListId();
        seenKUID = WorldList::CurrentItemKUID();
        seenOwner = WorldList::CurrentListOwner();
    }
    void WriteState(TStream& stream) override {
        stream.WriteBytes(payload.data(), payload.size());
        seenListId = WorldList::CurrentListId();
    }
    void ReadItemState(TStream& stream) override { itemState = Remaining(stream); }
    void WriteItemState(TStream& stream) override { stream.WriteBytes(itemState.data(), itemState.size()); }
    void LoadState(TStream& stream) override { state = Remaining(stream); }
    void SaveState(TStream& stream) override { stream.WriteBytes(state.data(), state.size()); }

    KUID kuid;
    WorldBounds bounds;
    std::string payload, itemState, state;
    std::vector<std::string> events;
    int32_t seenListId = -2;
    KUID seenKUID = KUID(0, 0, 0);
    void* seenOwner = nullptr;

  private:
    int32_t typeCode_;
    int32_t flags_;
    int* deaths_;
};

// Makes a TestItem of its type code that reads its payload from the stream.
class TestFactory : public WorldItemFactory {
  public:
    explicit TestFactory(int32_t typeCode) : WorldItemFactory(typeCode, "test") {}
    WorldFactoryItem* Create(void*, TStream& stream) override {
        ++made;
        auto* item = new TestItem(GetTypeCode());
        item->ReadState(stream);
        return item;
    }
    int made = 0;
};

}  // namespace worldtest
