// KAVIpcBlock: a view of the 36-byte block that the asset-database daemon and its clients
// share: nine 32-bit little-endian fields. Each field is read and written whole, as one
// aligned 32-bit atomic access, so a process never sees half of a value that another
// process is writing. The view does not own the memory (a mapped Kiv::SharedMemory).
#pragma once

#include <cstddef>
#include <cstdint>

class KAVIpcBlock {
  public:
    static constexpr size_t kSize = 36;
    static constexpr int32_t kVersion = 3;
    static constexpr int32_t kNone = -1; // no process in an id field

    // Byte offsets of the fields.
    enum Field : size_t {
        kHolderId = 0,      // the process that keeps the block tidy; -1 when none
        kOwnerId = 4,       // the process that owns the database (the daemon); -1 when none
        kRequesterId = 8,   // a process that asked for the database; -1 when none
        kReserved12 = 12,   // not read by the client
        kBlockVersion = 16, // 0: nobody initialised the block
        kAttachCount = 20,  // the client changes only its low byte
        kRefuseFlag = 24,   // non-zero: attaching is refused
        kReserved28 = 28,   // not read by the client
        kDaemonPort = 32,   // TCP port on which the daemon accepts clients; 0 when none
    };

    // data: at least kSize bytes, aligned to 4.
    explicit KAVIpcBlock(void* data) : data_(static_cast<unsigned char*>(data)) {}

    int32_t Get(Field field) const;
    void Set(Field field, int32_t value);
    // Replaces the field's value only when it still is expected; true when replaced.
    bool CompareAndSet(Field field, int32_t expected, int32_t value);
    // The low byte of the field changed alone, the three bytes above it kept, even when
    // another process changes the field at the same time: set, or moved by delta modulo 256.
    void SetLowByte(Field field, uint8_t value);
    void AddToLowByte(Field field, int delta);
    uint8_t GetLowByte(Field field) const { return static_cast<uint8_t>(Get(field) & 0xFF); }

    void Zero();
    // The initial values of a new block, holderId in the holder field.
    void Initialise(int32_t holderId);

  private:
    template <typename NewLowByte> void UpdateLowByte(Field field, NewLowByte newLowByte);

    unsigned char* data_;
};
