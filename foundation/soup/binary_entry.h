// The entries of one region of a binary soup body, walked in place. Every entry is checked
// against the bytes left before it is believed: its length must cover its name, type byte
// and a payload of zero or more bytes, and must not pass the region's end. A walk stops at
// the region's end (a tail of 5 bytes or fewer is ignored) or at the first entry that fails,
// which marks the walk damaged. Positions are offsets into the body, never addresses.
#pragma once

#include <cstdint>
#include <string_view>

// Where an entry's value lies: its payload offset (the entry's identity), size and file type.
struct BinaryPayload {
    uint32_t offset = 0;
    uint32_t size = 0;
    uint8_t fileType = 0;
};

struct BinaryEntry {
    uint32_t offset = 0; // of the length word
    // The stored name: up to its zero byte, and never more than the name length less one.
    std::string_view name;
    BinaryPayload payload;
    uint32_t next = 0; // offset of the following entry
};

class BinaryEntryWalk {
  public:
    // Walks the region [start, start + size) of body; the caller keeps it inside the body.
    BinaryEntryWalk(const uint8_t* body, uint32_t start, uint32_t size)
        : body_(body), at_(start), end_(start + size) {}

    // The next entry; false at the end of the region or at a malformed entry.
    bool Next(BinaryEntry& entry);
    // The walk stopped at an entry that does not fit its region.
    bool Damaged() const { return damaged_; }
    // Continues from an entry's offset found by an earlier walk of the same region.
    void Resume(uint32_t offset) { at_ = offset; }

  private:
    const uint8_t* body_;
    uint32_t at_;
    uint32_t end_;
    bool damaged_ = false;
};
