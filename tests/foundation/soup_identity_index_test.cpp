// The index of identities behind long child lists, checked against std::map over address
// patterns that a locality-keeping home must not turn into long probe runs or lost keys:
// small objects allocated back to back, page-sized and region-sized strides, and keys
// that repeat.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "foundation/soup/identity_index.h"

namespace {

const void* Key(uintptr_t address) { return reinterpret_cast<const void*>(address); }

struct Pattern {
    const char* name;
    uintptr_t base;
    uintptr_t stride;
};

class IdentityIndexPatterns : public testing::TestWithParam<Pattern> {};

TEST_P(IdentityIndexPatterns, AgreesWithAMapThroughAddsAndErasures) {
    const Pattern pattern = GetParam();
    constexpr uint32_t kKeys = 20000;
    IdentityIndex index;
    std::map<const void*, IdentityIndex::Holders> model;
    for (uint32_t i = 0; i < kKeys; ++i) {
        const void* key = Key(pattern.base + pattern.stride * i);
        for (uint32_t again = 0; again <= i % 3; ++again) {
            index.Add(key, i);
            auto [at, made] = model.try_emplace(key, IdentityIndex::Holders{i, 0});
            ++at->second.count;
        }
    }
    for (uint32_t i = 0; i < kKeys; i += 3) {
        index.Erase(Key(pattern.base + pattern.stride * i));
        model.erase(Key(pattern.base + pattern.stride * i));
    }
    for (uint32_t i = 0; i < kKeys; ++i) {
        const void* key = Key(pattern.base + pattern.stride * i);
        const IdentityIndex::Holders* found = index.Find(key);
        const auto expected = model.find(key);
        if (expected == model.end()) {
            EXPECT_EQ(found, nullptr) << pattern.name << " key " << i;
            continue;
        }
        ASSERT_NE(found, nullptr) << pattern.name << " key " << i;
        EXPECT_EQ(found->first, expected->second.first);
        EXPECT_EQ(found->count, expected->second.count);
    }
    EXPECT_EQ(index.Find(Key(pattern.base + pattern.stride * kKeys)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    AddressPatterns, IdentityIndexPatterns,
    testing::Values(Pattern{"back to back", 0x7f0000001000, 16},
                    Pattern{"small objects", 0x7f0000001010, 48},
                    Pattern{"pages", 0x7f0000000000, 4096},
                    Pattern{"regions", 0x7f0000000000, 1u << 20},
                    Pattern{"null first", 0, 64}),
    [](const testing::TestParamInfo<Pattern>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

} // namespace
