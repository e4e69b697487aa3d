// The in-memory container's child list against a plain model of its rules (insertion order,
// the first child of a name, removal of the first entry holding a node, swaps of the last
// holders, the sort), through long runs of random edits on lists small enough to be scanned
// and large enough to be indexed and to hold holes; and readers on several threads of a list
// with holes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "soup_test_support.h"

namespace {

using soup_test::Ints;
using soup_test::Leaf;
using soup_test::NewContainer;

struct ModelEntry {
    Kiv::PString name;
    ACSChunkRef chunk;
};

// What the container's children must be: the plain rules, on a vector.
class Model {
  public:
    void Add(const Kiv::PString& name, const ACSChunkRef& chunk) { entries_.push_back({name, chunk}); }
    void Remove(const ACSChunkRef& chunk) {
        const auto at = std::find_if(entries_.begin(), entries_.end(), [&](const ModelEntry& e) {
            return e.chunk.IsSameNode(chunk);
        });
        if (at != entries_.end()) entries_.erase(at);
    }
    ACSChunkRef Find(const Kiv::PString& name) const {
        for (const ModelEntry& entry : entries_)
            if (entry.name == name) return entry.chunk;
        return ACSChunk::NullChunk();
    }
    void Swap(const ACSChunkRef& a, const ACSChunkRef& b) {
        ModelEntry* holdsA = nullptr;
        ModelEntry* holdsB = nullptr;
        for (ModelEntry& entry : entries_) {
            if (entry.chunk.IsSameNode(a))
                holdsA = &entry;
            else if (entry.chunk.IsSameNode(b))
                holdsB = &entry;
        }
        if (holdsA && holdsB) std::swap(holdsA->chunk, holdsB->chunk);
    }
    void Sort() {
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const ModelEntry& a, const ModelEntry& b) {
                             return a.name.View() < b.name.View();
                         });
    }
    const std::vector<ModelEntry>& Entries() const { return entries_; }

  private:
    std::vector<ModelEntry> entries_;
};

// The container lists exactly the model's children, and finds the first of every name.
void ExpectSame(const ACSChunkRef& container, const Model& model,
                const std::vector<Kiv::PString>& names) {
    ASSERT_EQ(container->CountChildren(), static_cast<int32_t>(model.Entries().size()));
    for (size_t i = 0; i < model.Entries().size(); ++i) {
        Kiv::PString name;
        ACSChunkRef chunk;
        ASSERT_TRUE(container->GetIndexedChild(static_cast<int32_t>(i), name, chunk));
        ASSERT_EQ(name, model.Entries()[i].name) << i;
        ASSERT_TRUE(chunk.IsSameNode(model.Entries()[i].chunk)) << i;
    }
    for (const Kiv::PString& name : names)
        ASSERT_TRUE(container->GetNamedChunkConst(name).IsSameNode(model.Find(name))) << name.View();
}

TEST(SoupChildList, RandomEditsKeepTheRulesOfSmallAndLargeLists) {
    struct Case {
        int names; // distinct names in use; few names make many repeats
        int nodes; // distinct nodes in use; few nodes make shared children
        int steps;
    } cases[] = {{3, 6, 400}, {6, 40, 2000}, {40, 12, 3000}, {300, 1000, 6000}};
    std::mt19937 random(12);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names);
        std::vector<Kiv::PString> names;
        for (int i = 0; i < c.names; ++i)
            names.push_back(Kiv::PString::Setf("n%d", i));
        names.push_back(Kiv::PString()); // children may be unnamed
        std::vector<ACSChunkRef> nodes;
        for (int i = 0; i < c.nodes; ++i)
            nodes.push_back(Leaf(ACSTagType::IntArray, Ints({i})));
        const ACSChunkRef container = NewContainer();
        Model model;
        auto pick = [&](const auto& from) { return from[random() % from.size()]; };
        for (int step = 0; step < c.steps; ++step) {
            const unsigned what = random() % 100;
            if (what < 45) {
                const Kiv::PString name = pick(names);
                const ACSChunkRef node = pick(nodes);
                container->AddChild(name, node);
                model.Add(name, node);
            } else if (what < 70) {
                const ACSChunkRef node = pick(nodes);
                container->RemoveChild(node);
                model.Remove(node);
            } else if (what < 90) {
                // A setter's way: remove the first of a name, append a new node under it.
                const Kiv::PString name = pick(names);
                const ACSChunkRef first = container->GetNamedChunkConst(name);
                ASSERT_TRUE(first.IsSameNode(model.Find(name)));
                container->RemoveChild(first);
                model.Remove(first);
                const ACSChunkRef node = pick(nodes);
                container->AddChild(name, node);
                model.Add(name, node);
            } else if (what < 98) {
                const ACSChunkRef a = pick(nodes);
                const ACSChunkRef b = pick(nodes);
                container->SwapChildren(a, b);
                model.Swap(a, b);
            } else {
                container->SortChildren();
                model.Sort();
            }
            if (step % 7 == 0 || step + 1 == c.steps) ExpectSame(container, model, names);
        }
        // Emptied through the node interface, as a deep copy empties its destination.
        while (!model.Entries().empty()) {
            const ACSChunkRef last = model.Entries().back().chunk;
            container->RemoveChild(last);
            model.Remove(last);
        }
        ExpectSame(container, model, names);
    }
}

// Readers on several threads of a list whose holes the first indexed read closes up.
TEST(SoupChildList, ReadersOnSeveralThreadsSeeTheSameChildren) {
    for (int round = 0; round < 20; ++round) {
        ACSChunkRef soup;
        for (int i = 0; i < 200; ++i)
            soup.SetNamedTagInt(Kiv::PString::Setf("t%d", i), i);
        for (int i = 0; i < 200; i += 3)
            soup.SetNamedTagInt(Kiv::PString::Setf("t%d", i), -i); // leaves holes
        std::vector<std::thread> readers;
        std::vector<int> failures(4, 0);
        for (int r = 0; r < 4; ++r) {
            readers.emplace_back([&soup, &failures, r] {
                for (int i = 199; i >= 0; --i) {
                    const int32_t expected = i % 3 == 0 ? -i : i;
                    const Kiv::PString name = Kiv::PString::Setf("t%d", i);
                    if (soup.GetNamedTagAsInt(name, 1000) != expected) ++failures[r];
                    if (r % 2 == 0 && soup.GetIndexedTagName(i).IsEmpty()) ++failures[r];
                }
            });
        }
        for (std::thread& reader : readers)
            reader.join();
        EXPECT_EQ(failures, std::vector<int>(4, 0));
        EXPECT_EQ(soup.GetIndexedTagName(199).View(), "t198");
        EXPECT_EQ(soup.GetIndexedTagName(133).View(), "t0");
    }
}

} // namespace
