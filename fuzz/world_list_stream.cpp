// World-list streams: arbitrary bytes read as a list stream (every version, with and
// without the item states, cleared first or not) and then as a state block, through two
// factories: 'gslb' items read an int32 and an "ACS$" soup from their payload, 'jnOb'
// items an int32. Whatever was read must write and read back.
#include "foundation/soup/binary_file.h"
#include "fuzz_support.h"
#include "script_natives/world_item_factory.h"
#include "script_natives/world_list.h"

namespace {

class FuzzItem : public WorldListItem {
  public:
    explicit FuzzItem(int32_t typeCode) : typeCode_(typeCode) {}
    int32_t GetTypeCode() override { return typeCode_; }
    int32_t GetFlags() override { return 1 | (value_ & 6); }
    void ReadState(TStream& stream) override {
        stream.ReadInt32(value_, 0);
        if (typeCode_ == kLibrary) TDBBinaryFile::ReadSoup(soup_, stream);
    }
    void WriteState(TStream& stream) override { stream.WriteInt32(value_); }
    void ReadItemState(TStream& stream) override { stream.ReadInt32(value_, value_); }
    void WriteItemState(TStream& stream) override { stream.WriteInt32(value_); }
    void LoadState(TStream& stream) override { stream.ReadInt32(value_, value_); }
    void SaveState(TStream& stream) override { stream.WriteInt32(value_); }

    static constexpr int32_t kLibrary = 0x67736C62;

  private:
    int32_t typeCode_;
    int32_t value_ = 0;
    ACSChunkRef soup_;
};

class FuzzFactory : public WorldItemFactory {
  public:
    explicit FuzzFactory(int32_t typeCode) : WorldItemFactory(typeCode, "fuzz") {}
    WorldFactoryItem* Create(void*, TStream& stream) override {
        auto* item = new FuzzItem(GetTypeCode());
        item->ReadState(stream);
        return item;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzFactory library(FuzzItem::kLibrary);
    static FuzzFactory state(0x6A6E4F62);
    if (size < 1) return 0;
    const uint8_t options = data[0];
    fuzz::InputStream input(data + 1, size - 1);
    WorldList list(nullptr, 3, nullptr);
    if (options & 8) list.AddItemAt(0, new FuzzItem(FuzzItem::kLibrary));
    list.Read(input.Stream(), (options & 1) != 0, options & 6);
    list.LoadState(input.Stream());
    fuzz::Require(list.GetListId() == 3, "the list id comes back after a read");
    fuzz::Require(WorldList::CurrentListId() == -1, "no record stays current");

    BufferStream written;
    list.Write(written.Stream(), 0, 4);
    list.SaveState(written.Stream());
    written.Stream().Rewind();
    WorldList copy(nullptr, 4, nullptr);
    fuzz::Require(copy.Read(written.Stream(), true, 4), "a written list reads back");
    copy.LoadState(written.Stream());
    return 0;
}
