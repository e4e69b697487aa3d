// CDPAsset: the entry's typed tags, the KUIDs an asset needs and retires, the merge into
// "kuid-table" and the install copy of the config.
#include "foundation/cdp/cdp_asset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdp_test_support.h"

namespace {

using cdp_test::KUIDTags;
using cdp_test::TagNames;
using Tags = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::string>;

std::vector<std::string> Texts(const KUIDList& set) {
    std::vector<std::string> texts;
    for (const KUID& kuid : set) texts.emplace_back(kuid.ToTag().c_str());
    return texts;
}

ACSChunkRef Table(std::initializer_list<std::pair<const char*, KUID>> entries) {
    ACSChunkRef table;
    table.EnsureContainer();
    for (const auto& [name, kuid] : entries) table.SetNamedTagKUID(name, kuid);
    return table;
}

TEST(CDPAsset, NewAndWrappedEntries) {
    CDPAsset fresh;
    EXPECT_EQ(TagNames(fresh.GetConfig()), Names({"compression"}));
    EXPECT_EQ(fresh.GetCompression(), Kiv::PString("LZSS"));
    EXPECT_TRUE(fresh.GetKUID().IsNull());
    EXPECT_FALSE(fresh.HasKUID());
    EXPECT_FALSE(fresh.IsModified());

    ACSChunkRef config = cdp_test::Config(KUID(7, 8, 2));
    CDPAsset wrapped(config);
    EXPECT_TRUE(wrapped.GetConfig().IsSameNode(config));
    EXPECT_TRUE(wrapped.GetCompression().IsEmpty());
    EXPECT_EQ(wrapped.GetKUID(), KUID(7, 8, 2));
    EXPECT_TRUE(wrapped.HasKUID());
    EXPECT_TRUE(wrapped.GetFiles().IsNull());
    ACSChunkRef files = cdp_test::AddFolder(config, "files");
    EXPECT_TRUE(wrapped.GetFiles().IsSameNode(files));
}

TEST(CDPAsset, DependenciesComeFromTheTableThenTheTagsInTheirOrder) {
    // The eleven tags, set in reverse order: they are still read in the fixed order.
    const char* tags[] = {"alias", "bridgetrack", "bogey", "preview-mesh-kuid", "map-kuid",
                          "product-category", "bogey-1", "bogey-1-r", "interior", "enginespec",
                          "enginesound"};
    ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0));
    for (int i = 10; i >= 0; --i) config.SetNamedTagKUID(tags[i], KUID(2, 20 + i, 0));
    ACSChunkRef table = Table({{"0", KUID(1, 10, 0)}, {"1", KUID(1, 11, 0)}, {"2", KUID(5, 5, 0)}});
    config.SetNamedSoup("kuid-table", table);
    ACSChunkRef obsolete = Table({{"0", KUID(1, 11, 0)}, {"1", KUID(2, 22, 0)}});
    config.SetNamedSoup("obsolete-table", obsolete);

    KUIDList set;
    AddUnique(set, KUID(2, 21, 0));
    CDPAsset::CollectDependencies(config, KUID(5, 5, 0), set);
    EXPECT_EQ(Texts(set), std::vector<std::string>({
                              "<kuid:2:21>", "<kuid:1:10>", "<kuid:2:20>", "<kuid:2:23>",
                              "<kuid:2:24>", "<kuid:2:25>", "<kuid:2:26>", "<kuid:2:27>",
                              "<kuid:2:28>", "<kuid:2:29>", "<kuid:2:30>",
                          }));
}

TEST(CDPAsset, EngineTraincarsWithoutInteriorNeedTheDefaultInterior) {
    struct Case {
        const char* kind;
        int engine; // -1: no "engine" tag
        bool interior;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"traincar", 1, false, {"<kuid:-10:172>"}},
        {"TrainCar", 1, false, {"<kuid:-10:172>"}},
        {"traincar", 0, false, {}},
        {"traincar", -1, false, {}},
        {"traincar", 1, true, {"<kuid2:3:4:1>"}},
        {"mesh", 1, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " engine " << c.engine);
        ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0), c.kind);
        if (c.engine >= 0) config.SetNamedTagInt("engine", c.engine);
        if (c.interior) config.SetNamedTagKUID("interior", KUID(3, 4, 1));
        KUIDList set;
        CDPAsset::CollectDependencies(config, KUID(5, 5, 0), set);
        EXPECT_EQ(Texts(set), c.expected);
    }
}

TEST(CDPAsset, ObsoletesLeaveOutTheAssetItself) {
    ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0));
    ACSChunkRef obsolete = Table({{"0", KUID(3, 1, 0)}, {"1", KUID(5, 5, 0)}, {"2", KUID(3, 2, 0)}});
    config.SetNamedSoup("obsolete-table", obsolete);
    config.SetNamedTagKUID("obsoletes-kuid", KUID(3, 3, 0));

    KUIDList set;
    AddUnique(set, KUID(5, 5, 0));
    AddUnique(set, KUID(3, 2, 0));
    CDPAsset::CollectObsoletes(config, KUID(5, 5, 0), set);
    EXPECT_EQ(Texts(set), std::vector<std::string>({"<kuid:3:2>", "<kuid:3:1>", "<kuid:3:3>"}));
}

TEST(CDPAsset, MergeNumbersNewEntriesAfterTheHighestAndMovesTheTableLast) {
    ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0));
    ACSChunkRef table = Table({{"0", KUID(1, 1, 0)}, {"5", KUID(1, 2, 0)}, {"x", KUID(1, 3, 0)}});
    config.SetNamedSoup("kuid-table", table);
    config.SetNamedTagString("username", "later");

    KUIDList set;
    for (const KUID& kuid : {KUID(1, 2, 0), KUID(1, 4, 0), KUID(1, 3, 0), KUID(1, 5, 0)})
        AddUnique(set, kuid);
    CDPAsset asset(config);
    CDPAsset::MergeKUIDTable(asset, config, set);
    EXPECT_TRUE(asset.IsModified());
    EXPECT_EQ(TagNames(config), Names({"kuid", "kind", "username", "kuid-table"}));
    EXPECT_EQ(KUIDTags(config.GetNamedSoup("kuid-table")),
              Tags({{"0", "<kuid:1:1>"},
                    {"5", "<kuid:1:2>"},
                    {"x", "<kuid:1:3>"},
                    {"6", "<kuid:1:4>"},
                    {"7", "<kuid:1:5>"}}));

    // Names that are no numbers count as -1; numbers are read as "%d" reads them.
    ACSChunkRef named = cdp_test::Config(KUID(5, 5, 0));
    ACSChunkRef other = Table({{"a", KUID(1, 1, 0)}, {"-4", KUID(1, 2, 0)}});
    named.SetNamedSoup("kuid-table", other);
    KUIDList one;
    AddUnique(one, KUID(1, 9, 0));
    CDPAsset::MergeKUIDTable(asset, named, one);
    EXPECT_EQ(KUIDTags(named.GetNamedSoup("kuid-table")).back(),
              std::make_pair(std::string("0"), std::string("<kuid:1:9>")));
}

TEST(CDPAsset, MergeSetsModifiedOnlyWhenItAddsSomething) {
    struct Case {
        const char* what;
        bool table;
        std::vector<KUID> set;
        bool modified;
        Tags expected;
    };
    const Case cases[] = {
        {"no table, empty set: an empty table", false, {}, false, {}},
        {"no table: the set numbered from 0", false, {KUID(1, 1, 0), KUID(1, 2, 0)}, true,
         {{"0", "<kuid:1:1>"}, {"1", "<kuid:1:2>"}}},
        {"everything listed already", true, {KUID(1, 1, 0)}, false, {{"0", "<kuid:1:1>"}}},
        {"a table and an empty set", true, {}, false, {{"0", "<kuid:1:1>"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0));
        if (c.table) {
            ACSChunkRef table = Table({{"0", KUID(1, 1, 0)}});
            config.SetNamedSoup("kuid-table", table);
            config.SetNamedTagString("username", "after the table");
        }
        KUIDList set;
        for (const KUID& kuid : c.set) AddUnique(set, kuid);
        CDPAsset asset(config);
        CDPAsset::MergeKUIDTable(asset, config, set);
        EXPECT_EQ(asset.IsModified(), c.modified);
        EXPECT_EQ(TagNames(config).back(), "kuid-table");
        EXPECT_EQ(config.GetNamedTagType("kuid-table"), ACSTagType::Container);
        EXPECT_EQ(KUIDTags(config.GetNamedSoup("kuid-table")), c.expected);
    }
}

TEST(CDPAsset, InstallConfigIsACleanCopyWithItsDependencies) {
    ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0), "TrainCar");
    config.SetNamedTagInt("engine", 1);
    ACSChunkRef files = cdp_test::AddFolder(config, "files");
    cdp_test::AddBlob(files, "a.txt", {1, 2, 3});
    config.SetNamedTagString("dsid", "0:1");
    config.SetNamedTagString("compression", "LZSS");
    config.SetNamedTagString("username", "Engine");
    config.SetNamedTagInt(".cache", 3);
    config.SetNamedTagString("folder-icon", "icon.tga");
    ACSChunkRef table = Table({{"0", KUID(1, 1, 0)}});
    config.SetNamedSoup("kuid-table", table);

    CDPAsset asset(config);
    const ACSChunkRef copy = asset.MakeInstallConfig();
    EXPECT_TRUE(asset.IsModified());
    EXPECT_EQ(TagNames(copy), Names({"kuid", "engine", "username", "kind", "kuid-table"}));
    EXPECT_EQ(std::string(copy.GetNamedTag("kind").c_str()), "traincar");
    EXPECT_EQ(KUIDTags(copy.GetNamedSoup("kuid-table")),
              Tags({{"0", "<kuid:1:1>"}, {"1", "<kuid:-10:172>"}}));

    // The archive's config itself is left alone.
    EXPECT_EQ(TagNames(config), Names({"kuid", "kind", "engine", "files", "dsid", "compression",
                                       "username", ".cache", "folder-icon", "kuid-table"}));
    EXPECT_EQ(std::string(config.GetNamedTag("kind").c_str()), "TrainCar");
    EXPECT_EQ(KUIDTags(config.GetNamedSoup("kuid-table")), Tags({{"0", "<kuid:1:1>"}}));
}

TEST(CDPAsset, InstallConfigOfACleanAssetLeavesModifiedClear) {
    ACSChunkRef config = cdp_test::Config(KUID(5, 5, 0), "mesh");
    config.SetNamedTagString("compression", "LZSS");
    CDPAsset asset(config);
    const ACSChunkRef copy = asset.MakeInstallConfig();
    EXPECT_FALSE(asset.IsModified());
    EXPECT_EQ(TagNames(copy), Names({"kuid", "kind", "kuid-table"}));
    EXPECT_EQ(copy.GetNamedSoup("kuid-table").CountTags(), 0);

    // A ".cache" tag alone marks the asset modified.
    config.SetNamedTagInt(".cache", 1);
    CDPAsset cached(config);
    cached.MakeInstallConfig();
    EXPECT_TRUE(cached.IsModified());
}

} // namespace
