// CDPArchive: the checks of an opened root, the asset list, adding assets and the KUID
// tables they rebuild, and the save errors. Message texts are written out as users see them.
#include "foundation/cdp/cdp_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdp_test_support.h"

namespace {

using cdp_test::KUIDTags;
using cdp_test::TagNames;
using Tags = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::string>;

std::string Text(const Kiv::PString& error) {
    return error.c_str();
}

// A root with the given counts of assets and "contents-table" entries.
ACSChunkRef Root(const char* kind, int assets, int contents, int version) {
    ACSChunkRef root;
    ACSChunkRef assetList;
    for (int i = 0; i < assets; ++i) {
        ACSChunkRef config = cdp_test::Config(KUID(1, i, 0));
        assetList.SetNamedSoup(KUID(1, i, 0).ToTag(), config);
    }
    root.SetNamedSoup("assets", assetList);
    ACSChunkRef table;
    for (int i = 0; i < contents; ++i) table.SetNamedTagKUID(Kiv::PString::Setf("%d", i), KUID(1, i, 0));
    root.SetNamedSoup("contents-table", table);
    if (kind) root.SetNamedTagString("kind", kind);
    if (version >= 0) root.SetNamedTagInt("package-version", version);
    return root;
}

TEST(CDPArchive, RootChecksAndTheirMessages) {
    const std::string notCDP = "Content could not be read, as the file is not a valid CDP";
    const std::string damaged = "Content could not be read, as the CDP file is damaged";
    const std::string newer = "This content requires a newer Kodrin version";
    struct Case {
        const char* what;
        ACSChunkRef root;
        std::string error;
    };
    const Case cases[] = {
        {"a valid archive", Root("archive", 2, 2, 1), ""},
        {"kind ignoring case", Root("ARCHIVE", 0, 0, 1), ""},
        {"nothing loaded", ACSChunkRef(), notCDP},
        {"no kind", Root(nullptr, 1, 1, 1), notCDP},
        {"another kind", Root("mesh", 1, 1, 1), notCDP},
        {"the kind is checked first", Root("mesh", 3, 2, 2), notCDP},
        {"contents-table lists 2 of 3 assets", Root("archive", 3, 2, 1), damaged},
        {"contents-table lists more than the assets", Root("archive", 0, 1, 1), damaged},
        {"the counts are checked before the version", Root("archive", 3, 2, 2), damaged},
        {"package version 2", Root("archive", 1, 1, 2), newer},
        {"no package version", Root("archive", 1, 1, -1), newer},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(CDPArchive::CheckRoot(c.root)), c.error) << c.what;
}

TEST(CDPArchive, OpenFailureLeavesNoRoot) {
    CDPArchive archive;
    EXPECT_EQ(Text(archive.Open("/nonexistent-folder-of-cdp-tests", "missing.cdp")),
              "Content could not be read, as the file is not a valid CDP");
    EXPECT_TRUE(archive.GetRoot().IsNull());
    EXPECT_EQ(archive.CountAssets(), 0);
}

TEST(CDPArchive, AddAssetRefusesMissingAndRepeatedKUIDs) {
    CDPArchive archive;
    ACSChunkRef noKUID;
    noKUID.SetNamedTagString("kind", "mesh");
    EXPECT_EQ(Text(archive.AddAsset(noKUID)),
              "Unable to add content as it doesnt not contain a valid KUID");
    ACSChunkRef nullKUID = cdp_test::Config(KUID::Null());
    EXPECT_EQ(Text(archive.AddAsset(nullKUID)),
              "Unable to add content as it doesnt not contain a valid KUID");
    EXPECT_TRUE(archive.GetRoot().IsNull());

    ACSChunkRef first = cdp_test::Config(KUID(1, 2, 3));
    EXPECT_EQ(Text(archive.AddAsset(first)), "");
    ACSChunkRef again = cdp_test::Config(KUID(1, 2, 3));
    EXPECT_EQ(Text(archive.AddAsset(again)),
              "Unable to add content as an item with KUID <kuid2:1:2:3> is already present");
    ACSChunkRef shortForm = cdp_test::Config(KUID(-4, 9, 127));
    EXPECT_EQ(Text(archive.AddAsset(shortForm)), "");
    EXPECT_EQ(Text(archive.AddAsset(shortForm)),
              "Unable to add content as an item with KUID <kuid:-4:9> is already present");
    // Another version is another asset.
    ACSChunkRef otherVersion = cdp_test::Config(KUID(1, 2, 4));
    EXPECT_EQ(Text(archive.AddAsset(otherVersion)), "");
    EXPECT_EQ(archive.CountAssets(), 3);
}

TEST(CDPArchive, AddedAssetsAndTheirTables) {
    const KUID a(1, 1, 0);
    const KUID b(1, 2, 3);
    ACSChunkRef configA = cdp_test::Config(a);
    configA.SetNamedTagKUID("bogey", KUID(9, 1, 0));
    configA.SetNamedTagKUID("obsoletes-kuid", KUID(8, 1, 0));
    ACSChunkRef configB = cdp_test::Config(b, "traincar");
    configB.SetNamedTagKUID("alias", a);
    configB.SetNamedTagInt("engine", 1);
    ACSChunkRef obsolete;
    obsolete.SetNamedTagKUID("0", KUID(8, 2, 0));
    configB.SetNamedSoup("obsolete-table", obsolete);

    CDPArchive archive;
    archive.AddAsset(configA);
    ACSChunkRef root = archive.GetRoot();
    cdp_test::AddBlob(root, "thumbnail", {0xFF, 0xD8, 0xFF});
    EXPECT_EQ(Text(archive.AddAsset(configB)), "");

    EXPECT_EQ(TagNames(archive.GetRoot()),
              Names({"thumbnail", "assets", "contents-table", "kuid-table", "obsolete-table",
                     "kind", "package-version"}));
    EXPECT_EQ(TagNames(archive.GetRoot().GetNamedSoup("assets")),
              Names({"<kuid:1:1>", "<kuid2:1:2:3>"}));
    EXPECT_EQ(KUIDTags(archive.GetRoot().GetNamedSoup("contents-table")),
              Tags({{"0", "<kuid:1:1>"}, {"1", "<kuid2:1:2:3>"}}));
    // B's alias is A, which the archive holds: only what lies outside is listed.
    EXPECT_EQ(KUIDTags(archive.GetRoot().GetNamedSoup("kuid-table")),
              Tags({{"0", "<kuid:9:1>"}, {"1", "<kuid:-10:172>"}}));
    EXPECT_EQ(KUIDTags(archive.GetRoot().GetNamedSoup("obsolete-table")),
              Tags({{"0", "<kuid:8:1>"}, {"1", "<kuid:8:2>"}}));
    EXPECT_EQ(std::string(archive.GetRoot().GetNamedTag("kind").c_str()), "archive");
    EXPECT_EQ(archive.GetRoot().GetNamedTagAsInt("package-version", 0), 1);
    EXPECT_EQ(Text(CDPArchive::CheckRoot(archive.GetRoot())), "");

    const ACSRawDataRef picture = archive.GetNamedData("thumbnail");
    EXPECT_EQ(soup_test::BytesOf(picture), cdp_test::Bytes({0xFF, 0xD8, 0xFF}));
    EXPECT_TRUE(archive.GetNamedData("missing").IsNull());
}

TEST(CDPArchive, AssetsAreSharedAndFoundByTheirWholeKUID) {
    CDPArchive archive;
    ACSChunkRef config = cdp_test::Config(KUID(1, 2, 3));
    archive.AddAsset(config);
    config.SetNamedTagString("username", "changed after adding");
    EXPECT_TRUE(archive.GetAsset(0).GetConfig().IsSameNode(config));
    EXPECT_FALSE(archive.GetAsset(0).IsModified());

    EXPECT_EQ(archive.FindAsset(KUID(1, 2, 3)), 0);
    EXPECT_EQ(archive.FindAsset(KUID(1, 2, 4)), -1);
    EXPECT_EQ(archive.FindAsset(KUID(1, 3, 3)), -1);

    // A child of "assets" that is no container is counted but gives a null config.
    ACSChunkRef assets = archive.GetRoot().GetNamedSoup("assets");
    assets.SetNamedTagInt("stray", 1);
    EXPECT_EQ(archive.CountAssets(), 2);
    EXPECT_TRUE(archive.GetAsset(1).GetConfig().IsNull());
    EXPECT_TRUE(archive.GetAsset(2).GetConfig().IsNull());
    EXPECT_TRUE(archive.GetAsset(-1).GetConfig().IsNull());
}

TEST(CDPArchive, SaveNeedsAKnownExtensionAndAWritableFolder) {
    CDPArchive archive;
    ACSChunkRef config = cdp_test::Config(KUID(1, 2, 3));
    archive.AddAsset(config);
    const std::string message = "Unable to write archive file. Needs to be .cdp file extension";
    EXPECT_EQ(Text(archive.Save("/tmp/cdp-archive-test.zip")), message);
    const std::string missing = Text(archive.Save("/nonexistent-folder-of-cdp-tests/out.cdp"));
    EXPECT_EQ(missing.rfind("Unable to write archive file '/nonexistent-folder-of-cdp-tests/out.cdp': ", 0), 0u)
        << missing;
    EXPECT_NE(missing.find("No such file or directory"), std::string::npos) << missing;
}

} // namespace
