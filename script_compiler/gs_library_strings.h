// GSLibraryStrings: the library string table of one compile, each text once with its string
// index in order of first use. A text is found with one hash in an open-addressed table of
// entry positions (no allocation per text, none to free one by one). The string section lists the
// texts bucket by bucket of the image's string hash (Utils::StringMap::Hash modulo kBuckets),
// each bucket in strcmp order; that order is sorted once, when the section is written, so
// entering a text never places it among the others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class GSLibraryStrings {
  public:
    static constexpr uint32_t kBuckets = 61;

    struct Entry {
        const char* key;
        int32_t index;
    };

    // The text's string index, or -1 when it has none.
    int32_t Find(const char* text) const;
    // Enters `key` (its text stays the caller's) with `index`; false when already there.
    bool Insert(const char* key, int32_t index);
    // Every text with its index, in the string section's order.
    std::vector<Entry> InSectionOrder() const;
    void Clear();

  private:
    struct Slot {
        uint32_t hash;
        int32_t entry;  // position in entries_, -1 when the slot is empty
    };
    static uint32_t HashOf(const char* text);
    // The slot holding `text`, else the empty slot where it would go.
    size_t Locate(const char* text, uint32_t hash) const;
    // Doubles the slots once they are half full.
    void Grow();

    std::vector<Slot> slots_;  // a power of two in size
    std::vector<Entry> entries_;
};
