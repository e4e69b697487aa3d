// PluginInstanceRef: it holds one reference of what the registry found, gives back the
// previous one when it looks again (also when the new look-up finds nothing), and releases
// at most once.
#include "client/plugin_instance_ref.h"

#include <gtest/gtest.h>

namespace {

constexpr Kiv::UId kFamily = *Kiv::UId::Parse("5E1F0000-0000-4000-8000-0000000000A1");

class CountedPlugin final : public Kiv::PluginBase {
public:
    CountedPlugin(const char* name, int& live) : PluginBase(kFamily, Kiv::PString(name)), live_(live) {
        ++live_;
    }
    ~CountedPlugin() override { --live_; }

private:
    int& live_;
};

class PluginInstanceRefTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Kiv::PluginBase::RegisterPlugin(first_ = new CountedPlugin("first", live_)));
        ASSERT_TRUE(Kiv::PluginBase::RegisterPlugin(second_ = new CountedPlugin("second", live_)));
    }
    void TearDown() override {
        Kiv::PluginBase::UnregisterPlugin(kFamily, Kiv::PString("first"));
        Kiv::PluginBase::UnregisterPlugin(kFamily, Kiv::PString("second"));
        EXPECT_EQ(live_, 0);
    }

    int live_ = 0;
    Kiv::PluginBase* first_ = nullptr;
    Kiv::PluginBase* second_ = nullptr;
};

TEST_F(PluginInstanceRefTest, HoldsOneReferenceAndGivesTheOldOneBack) {
    PluginInstanceRef reference;
    EXPECT_EQ(reference.Get(), nullptr);
    reference.Release();  // nothing held: nothing happens

    EXPECT_TRUE(reference.Create(kFamily, Kiv::PString("first")));
    EXPECT_EQ(reference.Get(), first_);
    EXPECT_EQ(first_->GetReferenceCount(), 2);

    EXPECT_TRUE(reference.Create(kFamily, Kiv::PString("second")));
    EXPECT_EQ(reference.Get(), second_);
    EXPECT_EQ(first_->GetReferenceCount(), 1);
    EXPECT_EQ(second_->GetReferenceCount(), 2);

    EXPECT_FALSE(reference.Create(kFamily, Kiv::PString("third")));
    EXPECT_EQ(reference.Get(), nullptr);
    EXPECT_EQ(second_->GetReferenceCount(), 1);

    EXPECT_TRUE(reference.Create(kFamily, Kiv::PString("first")));
    reference.Release();
    reference.Release();
    EXPECT_EQ(reference.Get(), nullptr);
    EXPECT_EQ(first_->GetReferenceCount(), 1);
}

TEST_F(PluginInstanceRefTest, ItsEndReleasesAndKeepsAnUnregisteredPluginAliveUntilThen) {
    {
        PluginInstanceRef reference;
        ASSERT_TRUE(reference.Create(kFamily, Kiv::PString("first")));
        Kiv::PluginBase::UnregisterPlugin(kFamily, Kiv::PString("first"));
        EXPECT_EQ(live_, 2);
    }
    EXPECT_EQ(live_, 1);
}

}  // namespace
