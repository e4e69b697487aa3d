// The PString cache under 8 threads: the same and different texts interned, copied, moved
// and released concurrently while another thread collects garbage; afterwards the counts
// are consistent and every node is collectable.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/pstring.h"

namespace {

using Kiv::PString;
using Kiv::PStringCache;

constexpr int kThreads = 8;
constexpr int kRounds = 2000;
constexpr int kSharedTexts = 16;

std::string SharedText(int i) { return "kiv-cache-shared-" + std::to_string(i); }

TEST(PStringCache, ConcurrentInterningCopyingAndCollectingStayConsistent) {
    PStringCache::CollectGarbage();
    const size_t baseline = PStringCache::Count();

    std::atomic<bool> stop{false};
    std::atomic<int> mismatches{0};
    std::vector<const void*> identities(kThreads);
    PString held[kThreads];  // one shared text each thread still holds at the end

    std::thread collector([&] {
        while (!stop.load()) PStringCache::CollectGarbage();
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                std::string sharedText = SharedText(round % kSharedTexts);
                std::string ownText = "kiv-cache-own-" + std::to_string(t) + "-" +
                                      std::to_string(round % 50);
                PString shared(sharedText.c_str());
                PString own(ownText.c_str());
                PString copy = shared;
                PString moved = std::move(copy);
                PString again(sharedText.c_str());
                if (moved != again || moved.View() != sharedText || own.View() != ownText)
                    mismatches.fetch_add(1);
                PString lowered = own.ToUpper().ToLower();
                if (lowered != own) mismatches.fetch_add(1);
            }
            held[t] = PString(SharedText(0).c_str());
            identities[t] = held[t].Identity();
        });
    }
    for (std::thread& worker : workers) worker.join();
    stop = true;
    collector.join();

    EXPECT_EQ(mismatches.load(), 0);
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(identities[t], identities[0]);

    // Only the held text survives a collection; releasing it leaves the baseline.
    PStringCache::CollectGarbage();
    EXPECT_EQ(PStringCache::Count(), baseline + 1);
    for (PString& s : held) s = PString();
    EXPECT_EQ(PStringCache::CollectGarbage(), 1u);
    EXPECT_EQ(PStringCache::Count(), baseline);
}

TEST(PStringCache, UnreferencedNodesStayUntilCollected) {
    PStringCache::CollectGarbage();
    const size_t baseline = PStringCache::Count();
    const void* first = nullptr;
    {
        PString s("kiv-cache-transient");
        first = s.Identity();
        EXPECT_EQ(PStringCache::Count(), baseline + 1);
    }
    EXPECT_EQ(PStringCache::Count(), baseline + 1);
    EXPECT_EQ(PString("kiv-cache-transient").Identity(), first);  // reused, not remade
    EXPECT_EQ(PStringCache::CollectGarbage(), 1u);
    EXPECT_EQ(PStringCache::Count(), baseline);
}

TEST(PStringCache, ManyTextsSurviveGrowthAndCollectionOfTheOthers) {
    PStringCache::CollectGarbage();
    const size_t baseline = PStringCache::Count();
    constexpr int kTexts = 50000;
    std::vector<PString> kept;
    std::vector<const void*> identities;
    for (int i = 0; i < kTexts; ++i) {
        PString text(("kiv-cache-many-" + std::to_string(i)).c_str());
        if (i % 2 == 0) continue;
        identities.push_back(text.Identity());
        kept.push_back(text);
    }
    EXPECT_EQ(PStringCache::Count(), baseline + kTexts);
    EXPECT_EQ(PStringCache::CollectGarbage(), static_cast<size_t>(kTexts / 2));
    EXPECT_EQ(PStringCache::Count(), baseline + kTexts / 2);
    for (int i = 0; i < kTexts; ++i) {
        const std::string text = "kiv-cache-many-" + std::to_string(i);
        PString again(text.c_str());
        EXPECT_EQ(again.View(), text);
        if (i % 2 == 1) {
            EXPECT_EQ(again.Identity(), identities[static_cast<size_t>(i / 2)]) << i;
        }
    }
    kept.clear();
    EXPECT_EQ(PStringCache::CollectGarbage(), static_cast<size_t>(kTexts));
    EXPECT_EQ(PStringCache::Count(), baseline);
}

}  // namespace
