// Little-endian fields through std::atomic_ref on the mapped words; on a big-endian host
// the bytes are swapped at each access.
#include "foundation/ipc/kav_ipc_block.h"

#include <atomic>
#include <bit>

namespace {

struct InitialValue {
    KAVIpcBlock::Field field;
    int32_t value;
};

// The block as a new one reads; the holder field takes the initialiser's id.
constexpr InitialValue kInitialValues[] = {
    {KAVIpcBlock::kOwnerId, KAVIpcBlock::kNone},
    {KAVIpcBlock::kRequesterId, KAVIpcBlock::kNone},
    {KAVIpcBlock::kReserved12, 0},
    {KAVIpcBlock::kBlockVersion, KAVIpcBlock::kVersion},
    {KAVIpcBlock::kAttachCount, 1},
    {KAVIpcBlock::kRefuseFlag, 0},
    {KAVIpcBlock::kReserved28, 0},
    {KAVIpcBlock::kDaemonPort, 0},
};

uint32_t ToLittleEndian(uint32_t value) {
    if constexpr (std::endian::native == std::endian::little) return value;
    return __builtin_bswap32(value);
}

uint32_t FromLittleEndian(uint32_t value) {
    return ToLittleEndian(value);
}

std::atomic_ref<uint32_t> Word(unsigned char* data, KAVIpcBlock::Field field) {
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(data + field));
}

} // namespace

int32_t KAVIpcBlock::Get(Field field) const {
    return static_cast<int32_t>(FromLittleEndian(Word(data_, field).load()));
}

void KAVIpcBlock::Set(Field field, int32_t value) {
    Word(data_, field).store(ToLittleEndian(static_cast<uint32_t>(value)));
}

bool KAVIpcBlock::CompareAndSet(Field field, int32_t expected, int32_t value) {
    uint32_t stored = ToLittleEndian(static_cast<uint32_t>(expected));
    return Word(data_, field)
        .compare_exchange_strong(stored, ToLittleEndian(static_cast<uint32_t>(value)));
}

template <typename NewLowByte> void KAVIpcBlock::UpdateLowByte(Field field, NewLowByte newLowByte) {
    for (;;) {
        const uint32_t current = static_cast<uint32_t>(Get(field));
        const uint8_t low = newLowByte(static_cast<uint8_t>(current & 0xFFu));
        const uint32_t wanted = (current & ~0xFFu) | low;
        if (CompareAndSet(field, static_cast<int32_t>(current), static_cast<int32_t>(wanted)))
            return;
    }
}

void KAVIpcBlock::SetLowByte(Field field, uint8_t value) {
    UpdateLowByte(field, [value](uint8_t) { return value; });
}

void KAVIpcBlock::AddToLowByte(Field field, int delta) {
    UpdateLowByte(field, [delta](uint8_t low) {
        return static_cast<uint8_t>((static_cast<unsigned>(low) + static_cast<unsigned>(delta)) &
                                    0xFFu);
    });
}

void KAVIpcBlock::Zero() {
    for (size_t offset = 0; offset < kSize; offset += 4)
        Set(static_cast<Field>(offset), 0);
}

void KAVIpcBlock::Initialise(int32_t holderId) {
    for (const InitialValue& initial : kInitialValues)
        Set(initial.field, initial.value);
    Set(kHolderId, holderId);
}
