// GSIdPairTable: a hash table keyed by a library's identity pair (id1, id2): 251 buckets,
// bucket id1 mod 251, each chain sorted by ascending (id1, id2) as unsigned values, a pair
// at most once. The machine's link table and a context's library contexts use it. The
// table owns its values.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

template <class Value>
class GSIdPairTable {
  public:
    static constexpr uint32_t kBuckets = 251;

    GSIdPairTable() = default;
    ~GSIdPairTable() { Clear(); }
    GSIdPairTable(const GSIdPairTable&) = delete;
    GSIdPairTable& operator=(const GSIdPairTable&) = delete;

    Value* Find(uint32_t id1, uint32_t id2) const {
        for (Node* node = buckets_[id1 % kBuckets]; node; node = node->next) {
            if (Before(node, id1, id2)) continue;
            return node->id1 == id1 && node->id2 == id2 ? node->value.get() : nullptr;
        }
        return nullptr;
    }

    // False, the value dropped, when the pair is present already.
    bool Insert(uint32_t id1, uint32_t id2, std::unique_ptr<Value> value) {
        Node** link = &buckets_[id1 % kBuckets];
        while (*link && Before(*link, id1, id2)) link = &(*link)->next;
        if (*link && (*link)->id1 == id1 && (*link)->id2 == id2) return false;
        *link = new Node{id1, id2, std::move(value), *link};
        ++count_;
        return true;
    }

    // Deletes every value and node, bucket by bucket from the last, each chain in order.
    void Clear() {
        for (uint32_t b = kBuckets; b-- > 0;) {
            while (Node* node = buckets_[b]) {
                buckets_[b] = node->next;
                delete node;
            }
        }
        count_ = 0;
    }

    uint32_t Count() const { return count_; }

  private:
    struct Node {
        uint32_t id1;
        uint32_t id2;
        std::unique_ptr<Value> value;
        Node* next;
    };

    static bool Before(const Node* node, uint32_t id1, uint32_t id2) {
        return node->id1 < id1 || (node->id1 == id1 && node->id2 < id2);
    }

    std::array<Node*, kBuckets> buckets_{};
    uint32_t count_ = 0;
};
