// Asset specs without the daemon: the KUID table's buckets and blocks, filing and purging
// in the spec manager, factories, safe pointers and spec references, and the build and
// name a scripted spec reads from its config.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "validation/specs/asset_config_soup.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/kuid_hash_table.h"
#include "validation/specs/safe_pointer.h"
#include "validation/specs/spec_factory.h"
#include "validation/specs/spec_lookup.h"
#include "validation/specs/spec_manager.h"
#include "validation/specs/spec_ref.h"
#include "validation_test_support.h"

namespace {

ACSChunkRef ConfigOfKind(const char* kind) {
    ACSChunkRef config;
    config.SetNamedTagString("kind", kind);
    return config;
}

std::unique_ptr<KodrinBaseSpec> MakeSpec(const KUID& kuid) {
    return std::make_unique<KodrinBaseSpec>(Kiv::PString(), "base", "asset", kuid,
                                            ACSChunkRef(), Kiv::PString("asset"));
}

// A spec that loads invalid.
class InvalidSpec : public GizmorixSpec {
  public:
    using GizmorixSpec::GizmorixSpec;
    bool IsValid() override { return false; }
};

class CountingFactory : public GZSpecFactory {
  public:
    CountingFactory(const char* name, bool makesInvalid)
        : GZSpecFactory(Kiv::PString(name)), makesInvalid_(makesInvalid) {}
    GizmorixSpec* Create(const Kiv::PString& location, const Kiv::String& basePath,
                         const Kiv::String& folderName, const KUID& kuid,
                         const ACSChunkRef& config) override {
        ++made;
        if (makesInvalid_) return new InvalidSpec(kuid, location, basePath, folderName, config);
        return NewKodrinBaseSpec(location, basePath, folderName, kuid, config);
    }
    int made = 0;

  private:
    bool makesInvalid_;
};

TEST(KUIDHashTableTest, BucketIsTheUnsignedHashModulo4093) {
    struct Case {
        KUID kuid;
        uint32_t bucket;
    };
    const Case cases[] = {
        {KUID(1, 2, 0), 65},          // (2 << 5) ^ 0 ^ 1
        {KUID(0, 200, 0), 2307},      // 6400 - 4093
        {KUID(-1, -1, 127), 96},      // 0xFFFFFFE0 ^ 0x7F ^ 0xFFFFFFFF = 0x60
        {KUID(-1, -2, 127), 64},      // 0xFFFFFFC0 ^ 0x7F ^ 0xFFFFFFFF = 0x40
        {KUID(4093, 0, 0), 0},
        {KUID(0, 0x7FFFFFFF, 3), (0xFFFFFFE0u ^ 3u) % 4093u},  // the shift drops the top bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(KUIDHashTable::BucketOf(c.kuid), c.bucket) << c.kuid.ToTag().c_str();
}

// (0, 1, 0) and (32, 0, 0) both hash to 32, and (4125, 0, 0) to 4125 mod 4093 = 32.
TEST(KUIDHashTableTest, KUIDsSharingABucketAreAllFound) {
    auto first = MakeSpec(KUID(0, 1, 0));
    auto second = MakeSpec(KUID(32, 0, 0));
    auto third = MakeSpec(KUID(4125, 0, 0));
    KUIDHashTable table;
    for (GizmorixSpec* spec : {first.get(), second.get(), third.get()}) {
        EXPECT_EQ(KUIDHashTable::BucketOf(spec->GetKUID()), 32u);
        table.Insert(spec);
    }
    EXPECT_EQ(*table.Find(KUID(0, 1, 0)), first.get());
    EXPECT_EQ(*table.Find(KUID(32, 0, 0)), second.get());
    EXPECT_EQ(*table.Find(KUID(4125, 0, 0)), third.get());
    EXPECT_EQ(table.Find(KUID(32, 0, 1)), table.End());
    EXPECT_EQ(table.Count(), 3u);
}

// Thirty entries in one bucket span three blocks; erasing keeps insertion order, an
// emptied block goes, and iteration steps across buckets in bucket order.
TEST(KUIDHashTableTest, BlocksKeepInsertionOrderThroughErasures) {
    std::vector<std::unique_ptr<KodrinBaseSpec>> specs;
    KUIDHashTable table;
    auto other = MakeSpec(KUID(1, 2, 0));  // bucket 65
    for (int i = 0; i < 30; ++i) {
        specs.push_back(MakeSpec(KUID(5 + 4093 * i, 0, 0)));  // all in bucket 5
        table.Insert(specs.back().get());
    }
    table.Insert(other.get());
    // Erase the 13 entries of the second block, then entry 0.
    KUIDHashTable::Iterator at = table.Find(specs[13]->GetKUID());
    for (int i = 0; i < 13; ++i) at = table.EraseAt(at);
    EXPECT_EQ(*at, specs[26].get());
    table.EraseAt(table.Begin());
    std::vector<GizmorixSpec*> walked;
    for (KUIDHashTable::Iterator it = table.Begin(); it != table.End(); ++it) walked.push_back(*it);
    std::vector<GizmorixSpec*> expected;
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 26, 27, 28, 29})
        expected.push_back(specs[static_cast<size_t>(i)].get());
    expected.push_back(other.get());
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(table.Count(), 17u);
    // Erasing the last entry of the table gives the end.
    EXPECT_EQ(table.EraseAt(table.Find(KUID(1, 2, 0))), table.End());
    table.FreeBuckets();
    EXPECT_EQ(table.Begin(), table.End());
    EXPECT_EQ(table.Count(), 0u);
}

class SpecManagerTest : public ::testing::Test {
  protected:
    void TearDown() override {
        manager_.Destroy();
        EXPECT_EQ(SpecManager::Instance(), nullptr);
    }
    SpecManager manager_;
};

TEST_F(SpecManagerTest, NullAndReservedKUIDsNeverFindASpec) {
    for (const KUID& kuid : {KUID::Null(), KUID(-1, -2, 127)}) {
        GizmorixSpec* spec = manager_.CreateSpec(Kiv::PString(), "", "a", ConfigOfKind("x"), kuid);
        ASSERT_NE(manager_.FindSpecLocked(kuid), nullptr);
        EXPECT_EQ(manager_.FindSpec(kuid), nullptr);
        spec->Release();
    }
    GizmorixSpec* spec = manager_.CreateSpec(Kiv::PString(), "", "a", ConfigOfKind("x"), KUID(9, 9, 0));
    EXPECT_EQ(manager_.FindSpec(KUID(9, 9, 0)), spec);
    EXPECT_EQ(spec->GetUseCount(), 2);
    spec->Release();
    spec->Release();
}

TEST_F(SpecManagerTest, WithoutFactoriesCreateSpecMakesAPlainScriptedSpec) {
    GizmorixSpec* spec =
        manager_.CreateSpec(Kiv::PString(), "/assets", "wagon", ConfigOfKind("traincar"), KUID(1, 2, 0));
    ASSERT_NE(spec, nullptr);
    EXPECT_TRUE(IsKodrinBaseSpec(spec));
    EXPECT_FALSE(IsLibrarySpec(spec));
    EXPECT_EQ(spec->GetUseCount(), 1);
    EXPECT_FALSE(spec->IsLoaded());
    EXPECT_EQ(spec->GetKindName(), Kiv::PString("traincar"));
    EXPECT_EQ(std::string(spec->GetFolderPath("config.txt").View()), "/assets/wagon/config.txt");
    EXPECT_EQ(manager_.LiveCount(), 1u);
    EXPECT_EQ(manager_.TableCount(), 1u);
    spec->Release();
}

// The factory named like the kind (case ignored) first, else the default factory.
TEST_F(SpecManagerTest, CreateSpecPicksTheFactoryOfTheKindThenTheDefault) {
    auto* byKind = new CountingFactory("TrainCar", false);
    CountingFactory fallback("fallback", false);
    manager_.RegisterFactory(byKind);
    manager_.SetDefaultFactory(&fallback);
    manager_.CreateSpec(Kiv::PString(), "", "a", ConfigOfKind("traincar"), KUID(1, 1, 0))->Release();
    manager_.CreateSpec(Kiv::PString(), "", "b", ConfigOfKind("scenery"), KUID(1, 2, 0))->Release();
    EXPECT_EQ(byKind->made, 1);
    EXPECT_EQ(fallback.made, 1);
    manager_.SetDefaultFactory(nullptr);
    manager_.Shutdown();  // deletes the listed factory
    EXPECT_EQ(manager_.LiveCount(), 0u);
}

// A spec that loads invalid leaves the table and the live list for the invalid list;
// Shutdown deletes it. The null KUID never loads valid.
TEST_F(SpecManagerTest, InvalidSpecsAreFiledApartAndDeletedAtShutdown) {
    CountingFactory invalid("broken", true);
    manager_.RegisterFactory(&invalid);
    GizmorixSpec* spec = manager_.CreateSpec(Kiv::PString(), "", "a", ConfigOfKind("broken"), KUID(3, 4, 0));
    GizmorixSpec* nullSpec = manager_.CreateSpec(Kiv::PString(), "", "n", ConfigOfKind("x"), KUID::Null());
    for (GizmorixSpec* s : {spec, nullSpec}) {
        s->EnsureLoaded();
        EXPECT_TRUE(s->HasLoadMark());
        EXPECT_FALSE(s->IsValidFlagSet());
        s->Release();
    }
    EXPECT_EQ(manager_.InvalidCount(), 2u);
    EXPECT_EQ(manager_.LiveCount(), 0u);
    EXPECT_EQ(manager_.TableCount(), 0u);
    EXPECT_EQ(manager_.FindSpec(KUID(3, 4, 0)), nullptr);
    manager_.UnregisterFactory(&invalid);
    manager_.Shutdown();
    EXPECT_EQ(manager_.InvalidCount(), 0u);
}

TEST_F(SpecManagerTest, PurgeDeletesOnlyUnusedSpecsAndDetachesTheirPointers) {
    GizmorixSpec* kept = manager_.CreateSpec(Kiv::PString(), "", "k", ConfigOfKind("x"), KUID(1, 1, 0));
    GizmorixSpec* dropped = manager_.CreateSpec(Kiv::PString(), "", "d", ConfigOfKind("x"), KUID(1, 2, 0));
    GizmorixSpec* last = manager_.CreateSpec(Kiv::PString(), "", "l", ConfigOfKind("x"), KUID(1, 3, 0));
    SafePointer<GizmorixSpec> toDropped(dropped);
    SafePointer<GizmorixSpec> toKept(kept);
    SafePointer<GizmorixSpec> copy(toDropped);
    dropped->Release();
    last->Release();
    EXPECT_TRUE(manager_.PurgeUnused());
    EXPECT_EQ(toDropped.Get(), nullptr);
    EXPECT_EQ(copy.Get(), nullptr);
    EXPECT_EQ(toKept.Get(), kept);
    EXPECT_EQ(manager_.LiveCount(), 1u);
    EXPECT_EQ(manager_.FindSpecLocked(KUID(1, 2, 0)), nullptr);
    EXPECT_FALSE(manager_.PurgeUnused());
    kept->Release();
    EXPECT_TRUE(manager_.PurgeUnused());
    EXPECT_EQ(toKept.Get(), nullptr);
}

TEST_F(SpecManagerTest, SpecRefAddsBeforeItReleases) {
    GizmorixSpec* a = manager_.CreateSpec(Kiv::PString(), "", "a", ConfigOfKind("x"), KUID(2, 1, 0));
    GizmorixSpec* b = manager_.CreateSpec(Kiv::PString(), "", "b", ConfigOfKind("x"), KUID(2, 2, 0));
    {
        SpecRef holder = SpecRef::Adopt(a);
        EXPECT_EQ(a->GetUseCount(), 1);
        SpecRef& same = holder;
        holder = same;  // its own spec: never down to 0 on the way
        EXPECT_EQ(a->GetUseCount(), 1);
        SpecRef other(b);
        EXPECT_EQ(b->GetUseCount(), 2);
        holder = other;
        EXPECT_EQ(a->GetUseCount(), 0);
        EXPECT_EQ(b->GetUseCount(), 3);
    }
    EXPECT_EQ(b->GetUseCount(), 1);
    b->Release();
    manager_.Shutdown();
    EXPECT_EQ(manager_.LiveCount(), 0u);
}

// The folder's config makes the spec: its folder name and base path come from the path,
// a failing predicate gives none (the spec stays until purged), no config gives none.
TEST_F(SpecManagerTest, CreateSpecFromFolderReadsTheConfigThere) {
    validation_test::TempFolder folder;
    folder.Write("assets/wagon/config.txt", "kind \"traincar\"\r\nkodrin-build 2.5\r\n");
    const Kiv::File::Path path((folder.Path("assets/wagon/")).c_str());
    GizmorixSpec* spec = manager_.CreateSpecFromFolder(KUID(7, 1, 0), Kiv::PString(), path,
                                                       &IsKodrinBaseSpec, false);
    ASSERT_NE(spec, nullptr);
    EXPECT_TRUE(spec->IsValidFlagSet());
    EXPECT_EQ(std::string(spec->GetFolderName().View()), "wagon");
    EXPECT_EQ(std::string(spec->GetBasePath().View()), folder.Path("assets"));
    spec->Release();
    EXPECT_EQ(manager_.CreateSpecFromFolder(KUID(7, 2, 0), Kiv::PString(), path, &IsLibrarySpec, false),
              nullptr);
    EXPECT_EQ(manager_.LiveCount(), 2u);
    EXPECT_EQ(manager_.CreateSpecFromFolder(KUID(7, 3, 0), Kiv::PString(),
                                            Kiv::File::Path(folder.Path("assets").c_str()), nullptr, false),
              nullptr);
    EXPECT_TRUE(manager_.PurgeUnused());
    EXPECT_EQ(manager_.LiveCount(), 0u);
}

// Without a manager the look-ups answer none.
TEST(SpecLookupTest, LookupsWithoutAManagerFindNothing) {
    ASSERT_EQ(SpecManager::Instance(), nullptr);
    EXPECT_EQ(GetKodrinBaseSpec(KUID(1, 2, 0), false), nullptr);
    EXPECT_EQ(GetLibrarySpec(KUID(1, 2, 0), false), nullptr);
}

TEST(KodrinBaseSpecTest, BuildVersionTable) {
    struct Case {
        const char* text;  // the config's tags
        float build;
    };
    const Case cases[] = {
        {"kodrin-build 2.89\n", 2.895f},
        {"kodrin-build 2.9\n", 2.905f},
        {"kodrin-build 1\n", 1.005f},
        {"kodrin-build 99.5\n", 99.505f},
        {"kodrin-build 100\n", 1.3f},
        {"kodrin-build 0.5\nmesh-table {\n}\n", 2.0f},
        {"mesh-table {\n}\n", 2.0f},
        {"class \"Wagon\"\n", 2.0f},
        {"scriptclass \"Wagon\"\n", 2.0f},
        {"username \"x\"\n", 1.3f},
    };
    validation_test::TempFolder folder;
    for (const Case& c : cases) {
        folder.Write("a/config.txt", c.text);
        ACSChunkRef config;
        ASSERT_TRUE(LoadAssetConfigSoup(Kiv::PString(), Kiv::File::Path(folder.Path("a").c_str()), config));
        EXPECT_FLOAT_EQ(KodrinBaseSpec::ReadBuildVersion(config), c.build) << c.text;
    }
}

// Below build 2.50 the name is "asset-filename", else the name given; from 2.50 "default".
TEST(KodrinBaseSpecTest, NameDependsOnTheBuild) {
    struct Case {
        float build;  // 0: no tag
        const char* assetFileName;
        const char* name;
    };
    const Case cases[] = {
        {2.49f, "oldfile", "oldfile"},
        {2.49f, nullptr, "folder"},
        {0.0f, nullptr, "folder"},
        {2.5f, "oldfile", "default"},
        {2.89f, "oldfile", "default"},
    };
    for (const Case& c : cases) {
        ACSChunkRef config;
        config.SetNamedTagString("kind", "scenery");
        if (c.build != 0.0f) config.SetNamedTagFloat("kodrin-build", c.build);
        if (c.assetFileName) config.SetNamedTagString("asset-filename", c.assetFileName);
        KodrinBaseSpec spec(Kiv::PString(), "", "folder", KUID(1, 1, 0), config, Kiv::PString("folder"));
        EXPECT_EQ(spec.GetName(), Kiv::PString(c.name)) << c.build;
        EXPECT_EQ(spec.GetKind(), Kiv::PString("scenery"));
    }
    KodrinBaseSpec bare(Kiv::PString(), "", "folder", KUID(1, 1, 0), ACSChunkRef(), Kiv::PString("given"));
    EXPECT_FLOAT_EQ(bare.GetBuild(), 1.3f);
    EXPECT_EQ(bare.GetName(), Kiv::PString("given"));
}

} // namespace
