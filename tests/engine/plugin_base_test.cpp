// The engine's plug-in registry: look-ups by family and exact name hand out counted
// references, the registry keeps its own, and a plug-in outlives its unregistering while a
// holder still has it. The engine's own bitmap codec is there from the start.
#include "engine/plugin_base.h"

#include <gtest/gtest.h>

#include "engine/builtin_plugins.h"

namespace {

constexpr Kiv::UId kTestFamily = *Kiv::UId::Parse("0A1B2C3D-0000-4000-8000-00000000CAFE");

// Counts the live test plug-ins, so a test sees exactly when one is deleted.
int g_live = 0;

class TestPlugin final : public Kiv::PluginBase {
public:
    explicit TestPlugin(const char* name) : PluginBase(kTestFamily, Kiv::PString(name)) { ++g_live; }
    ~TestPlugin() override { --g_live; }
};

TEST(PluginBase, TheEngineRegistersItsBitmapCodec) {
    Kiv::PluginBase* codec = Kiv::PluginBase::LookupPluginType(
        *Kiv::UId::Parse("4C414E80-BBDA-11d4-9AD7-0001025364B8"), Kiv::PString("bmp"));
    ASSERT_NE(codec, nullptr);
    EXPECT_EQ(codec->GetName(), Kiv::PString("bmp"));
    EXPECT_EQ(codec->GetReferenceCount(), 2);  // the registry's and ours
    codec->ReleaseReference();

    const struct {
        Kiv::UId family;
        const char* name;
    } absent[] = {
        {Kiv::kResourceFamilyUId, "BMP"},  // names are exact
        {Kiv::kResourceFamilyUId, "jpg"},
        {kTestFamily, "bmp"},              // another family
        {Kiv::kResourceFamilyUId, nullptr},
    };
    for (const auto& a : absent)
        EXPECT_EQ(Kiv::PluginBase::LookupPluginType(a.family, Kiv::PString(a.name)), nullptr)
            << (a.name ? a.name : "null");
}

TEST(PluginBase, RegisteredPluginsAreCountedAndOutliveTheirUnregistering) {
    ASSERT_TRUE(Kiv::PluginBase::RegisterPlugin(new TestPlugin("counted")));
    EXPECT_FALSE(Kiv::PluginBase::RegisterPlugin(new TestPlugin("counted")));
    EXPECT_EQ(g_live, 1) << "the refused duplicate is released";

    Kiv::PluginBase* held = Kiv::PluginBase::LookupPluginType(kTestFamily, Kiv::PString("counted"));
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->GetReferenceCount(), 2);

    EXPECT_TRUE(Kiv::PluginBase::UnregisterPlugin(kTestFamily, Kiv::PString("counted")));
    EXPECT_FALSE(Kiv::PluginBase::UnregisterPlugin(kTestFamily, Kiv::PString("counted")));
    EXPECT_EQ(Kiv::PluginBase::LookupPluginType(kTestFamily, Kiv::PString("counted")), nullptr);
    EXPECT_EQ(g_live, 1) << "still held";
    held->ReleaseReference();
    EXPECT_EQ(g_live, 0);

    EXPECT_FALSE(Kiv::PluginBase::RegisterPlugin(nullptr));
}

}  // namespace
