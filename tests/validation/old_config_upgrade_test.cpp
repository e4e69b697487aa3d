// The old-config upgrade: the build threshold and stamp, the rewrite of each kind (with the
// mesh-table builders, whose meshes come from a fake mesh engine), and the general steps:
// category walks and defaults, colours, odd names, template possibilities, user names.
#include <gtest/gtest.h>

#include <string>

#include "../foundation/soup_text_test_support.h"
#include "fake_mesh_engine.h"
#include "validation/darodi/build_stamp.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/old_config_upgrade.h"
#include "validation_test_support.h"

namespace {

using validation_test::FakeMesh;

// The defaults every upgraded config without categories ends with.
const std::string kTail =
    " category-era=s:1800s category-class=s:ZX category-region=s:00 kodrin-build=f:2.9";

class OldConfigUpgrade : public ::testing::Test {
  protected:
    OldConfigUpgrade() { DAROdi::DataManager::Instance().SetAssetLocation("local", "box"); }

    // The config of that text after UpgradeOldConfigIfNeeded, with its own build stamp.
    ACSChunkRef Upgrade(const std::string& text) {
        ACSChunkRef config = soup_text_test::Parse(text);
        DAROdi::DataManager::Instance().buildStamp = DAROdi::ConfigBuildStamp(config);
        DAROdi::UpgradeOldConfigIfNeeded(config);
        return config;
    }
    std::string Described(const std::string& text) { return soup_text_test::Describe(Upgrade(text)); }
    void AddMesh(const std::string& name, std::vector<std::string> points) {
        FakeMesh mesh;
        mesh.attachments = points;
        mesh.particles = points;
        engine_.meshes[name] = mesh;
    }

    validation_test::TestInstallation install_;
    validation_test::FakeMeshEngine engine_;
};

TEST_F(OldConfigUpgrade, RunsBelowBuild290AndStampsTheLastTag) {
    const struct {
        const char* build;
        bool upgraded;
    } cases[] = {{"kodrin-build 2.89\n", true}, {"kodrin-build 2.9\n", false}, {"", true}};
    for (const auto& c : cases) {
        const std::string text = std::string(c.build) + "kind \"mesh\"\nusername \"M\"\nlight 1\n";
        const std::string after = Described(text);
        if (c.upgraded)
            EXPECT_EQ(after, "kind=s:mesh username=s:M" + kTail) << c.build;
        else
            EXPECT_EQ(after, "kodrin-build=f:2.9 kind=s:mesh username=s:M light=i:1") << c.build;
    }
}

// One config per kind row, before and after.
TEST_F(OldConfigUpgrade, RewritesEachKind) {
    AddMesh("box/house.im", {"a.name0", "a.name1", "a.name3"});
    AddMesh("box/outer/outer.im", {"a.otrack0a", "a.otrack0b", "a.otrack1a"});
    AddMesh("box/inner/inner.im", {"a.itrack0a", "a.itrack0b"});
    AddMesh("box/x/x.im", {"a.road0a", "a.road0b", "a.track0a", "a.track0b", "a.track1a"});
    const struct {
        const char* before;
        std::string after;
    } cases[] = {
        {"kind \"bogey\"\nasset-filename \"bog\"\nlight 1\nusername \"B\"\n",
         "kind=s:bogey username=s:B mesh-table{default{mesh=s:bog.pm auto-create=i:1} "
         "shadow{mesh=s:bog_shadow/bog_shadow.pm auto-create=i:0}}" + kTail},
        {"kind \"behavior\"\nusername \"R\"\nicon-texture \"icon.tga\"\n",
         "kind=s:behavior username=s:R thumbnails{0{image=s:icon.tga width=i:64 height=i:64}}" +
             kTail},
        {"kind \"texture\"\nasset-filename \"grass\"\nusername \"G\"\nrgb 1,2,3\nlight 1\n",
         "kind=s:texture username=s:G texture=s:grass.texture" + kTail},
        {"kind \"mojunction\"\nasset-filename \"j\"\nusername \"J\"\nmode0 \"Left\"\nmode1 \"right\"\n",
         "kind=s:mojunction username=s:J mesh-table{left{mesh=s:Left/Left.im auto-create=s:1} "
         "right{mesh=s:right/right.im auto-create=s:0}}" + kTail},
        {"kind \"mocrossing\"\nasset-filename \"c\"\nusername \"C\"\nmode0 \"x\"\n"
         "track <kuid:1:5>\nroad <kuid:1:6>\n",
         "kind=s:mocrossing username=s:C mesh-table{default{mesh=s:x/x.im anim=s:x/anim.kin "
         "auto-create=i:1}} attached-track{road1{track=k:<kuid:1:6> vertices{0=s:a.road0a "
         "1=s:a.road0b} useadjoiningtracktype=i:1} track1{track=k:<kuid:1:5> "
         "vertices{0=s:a.track0a 1=s:a.track0b} useadjoiningtracktype=i:1}}" + kTail},
        {"kind \"turntable\"\nasset-filename \"t\"\nusername \"T\"\nmode0 \"outer\"\n"
         "mode1 \"inner\"\ntrack <kuid:1:9>\n",
         "kind=s:turntable username=s:T mesh-table{default{mesh=s:outer/outer.im auto-create=i:1} "
         "turntable{mesh=s:inner/inner.im}} attached-track{tracko1{track=k:<kuid:1:9> "
         "vertices{0=s:a.otrack0a 1=s:a.otrack0b} useadjoiningtracktype=i:0} "
         "tracki1{track=k:<kuid:1:9> vertices{0=s:a.itrack0a 1=s:a.itrack0b} "
         "useadjoiningtracktype=i:0}}" + kTail},
        {"kind \"traincar\"\nasset-filename \"loco\"\nusername \"L\"\nbogey <kuid:1:2>\n"
         "bogey-1-r <kuid:1:3>\nrunning-numbers\n{\n  0 \"1\"\n}\ncategory-class \"AS\"\n",
         "kind=s:traincar username=s:L category-class=s:AS mesh-table{default{mesh=s:"
         "loco_body/loco_body.pm auto-create=i:1} shadow{mesh=s:loco_shadow/loco_shadow.pm "
         "auto-create=i:0}} bogeys{0{bogey=k:<kuid:1:2> reversed=i:0} 1{bogey=k:<kuid:1:3> "
         "reversed=i:1}} category-era=s:1800s category-region=s:00 kodrin-build=f:2.9"},
        {"kind \"track\"\nasset-filename \"rail\"\nusername \"K\"\nheight 1\nmini 2\n",
         "kind=s:track username=s:K" + kTail},
        {"kind \"bridge\"\nusername \"K\"\nheight 1\nmini 2\n",
         "kind=s:bridge username=s:K height=i:1 mini=i:2" + kTail},
        {"kind \"scenery\"\nasset-filename \"house\"\nusername \"H\"\nauto-animation 1\n"
         "fontcolor \"255,0,0\"\nnight \"lit\"\nbendy 1\n",
         "kind=s:scenery username=s:H mesh-table{default{auto-create=i:1 mesh=s:house.im "
         "anim=s:anim.kin animation-loop-speed=f:1 effects{0{kind=s:name att=s:a.name0 "
         "fontcolor=s:255,0,0 name=s:name} 1{kind=s:name att=s:a.name1 fontcolor=s:255,0,0 "
         "name=s:name}}} night{mesh=s:lit/lit.im night-mesh-base=s:default}}" + kTail},
        {"kind \"buildable\"\nasset-filename \"shed\"\nusername \"S\"\n",
         "kind=s:buildable username=s:S mesh-table{default{auto-create=i:1 mesh=s:shed.im}}" +
             kTail},
        {"kind \"interior\"\nasset-filename \"cab\"\nusername \"I\"\nmesh \"cab.im\"\n"
         "attachment\n{\n  a\n  {\n    att \"a.seat\"\n  }\n  b\n  {\n    att \"a.x\"\n"
         "    att-parent \"other\"\n  }\n}\ncamera 1.5,2,3\n",
         "kind=s:interior username=s:I mesh-table{a{att=s:a.seat att-parent=s:default} "
         "b{att=s:a.x att-parent=s:other} default{mesh=s:cab.im auto-create=i:1}} "
         "cameralist{camera0=f:1.5,2,3,0,0} cameradefault=i:0" + kTail},
    };
    for (const auto& c : cases) EXPECT_EQ(Described(c.before), c.after) << c.before;
    EXPECT_EQ(engine_.log.animations, std::vector<std::string>{"box/x/x.im<box/x/anim.kin"});
    EXPECT_EQ(engine_.log.liveInstances, 0);
    EXPECT_EQ(engine_.log.liveResources, 0);
}

TEST_F(OldConfigUpgrade, MeshesThatDoNotLoadLeaveTheTablesOnly) {
    EXPECT_EQ(Described("kind \"turntable\"\nasset-filename \"t\"\nusername \"T\"\n"
                        "mode0 \"outer\"\nmode1 \"inner\"\ntrack <kuid:1:9>\n"),
              "kind=s:turntable username=s:T track=k:<kuid:1:9> mesh-table{default{mesh=s:"
              "outer/outer.im auto-create=i:1} turntable{mesh=s:inner/inner.im}}" + kTail);
    EXPECT_EQ(Described("kind \"scenery\"\nasset-filename \"house\"\nusername \"H\"\n"),
              "kind=s:scenery username=s:H mesh-table{default{auto-create=i:1 mesh=s:house.im}}" +
                  kTail);
}

TEST_F(OldConfigUpgrade, TurntableWithoutModesNamesItsMeshesAfterTheTags) {
    AddMesh("box/mode0.im", {"a.otrack0a", "a.otrack0b"});
    AddMesh("box/mode1.im", {});
    const ACSChunkRef config =
        Upgrade("kind \"turntable\"\nasset-filename \"t\"\nusername \"T\"\n");
    const ACSChunkRef table = config.GetNamedSoup("mesh-table");
    EXPECT_EQ(table.GetNamedSoup("default").GetNamedTag("mesh"), "mode0.im");
    EXPECT_EQ(table.GetNamedSoup("turntable").GetNamedTag("mesh"), "mode1.im");
    EXPECT_EQ(soup_text_test::Describe(config.GetNamedSoup("attached-track")),
              "tracko1{track=k:<NULL> vertices{0=s:a.otrack0a 1=s:a.otrack0b} "
              "useadjoiningtracktype=i:0}");
}

TEST_F(OldConfigUpgrade, BogeysAreNumberedFromTheFirstIndexThatFollows) {
    const struct {
        const char* tags;
        const char* bogeys;
        bool bogey1Stays;
    } cases[] = {
        {"bogey <kuid:1:2>\nbogey-1-r <kuid:1:3>\n",
         "0{bogey=k:<kuid:1:2> reversed=i:0} 1{bogey=k:<kuid:1:3> reversed=i:1}", false},
        {"bogey-1 <kuid:1:4>\n", "", true},
        {"bogey-0 <kuid:1:4>\nbogey-0-r <kuid:1:5>\nbogey-1 <kuid:1:6>\nbogey-3 <kuid:1:7>\n",
         "0{bogey=k:<kuid:1:4> reversed=i:0} 1{bogey=k:<kuid:1:5> reversed=i:1} "
         "2{bogey=k:<kuid:1:6> reversed=i:0}",
         false},
    };
    for (const auto& c : cases) {
        const ACSChunkRef config =
            Upgrade(std::string("kind \"traincar\"\nusername \"L\"\n") + c.tags);
        EXPECT_EQ(soup_text_test::Describe(config.GetNamedSoup("bogeys")), c.bogeys) << c.tags;
        EXPECT_EQ(config.HasTag("bogey-1"), c.bogey1Stays) << c.tags;
    }
}

TEST_F(OldConfigUpgrade, JoinsNumberedCategoriesAndFillsDefaults) {
    const struct {
        const char* tags;
        const char* region;
        const char* era;
        const char* cls;
        bool gapStays;
    } cases[] = {
        {"category-region-0 \"us\"\ncategory-region-1 \"au\"\n", "US;AU", "1800s", "ZX", false},
        {"category-region-1 \"gb\"\ncategory-era-0 \"1800\"\ncategory-era-1 \"1950s\"\n", "GB",
         "1800s;1950s", "ZX", false},
        // Indices 0 and 1 missing end the walk: index 2 and the earlier tag stay.
        {"category-region \"DE\"\ncategory-region-2 \"us\"\n", "DE", "1800s", "ZX", true},
        {"category-region-0 \"eu\"\n", "00", "1800s", "ZX", false},
        {"category-region \"Any Region In The World\"\ncategory-class \"BR\"\n", "00", "1800s",
         "BR", false},
        {"category-class \"ZB\"\n", "00", "1800s", "ZX", false},
    };
    for (const auto& c : cases) {
        const ACSChunkRef config =
            Upgrade(std::string("kind \"scenery\"\nusername \"S\"\n") + c.tags);
        EXPECT_EQ(config.GetNamedTag("category-region"), c.region) << c.tags;
        EXPECT_EQ(config.GetNamedTag("category-era"), c.era) << c.tags;
        EXPECT_EQ(config.GetNamedTag("category-class"), c.cls) << c.tags;
        EXPECT_EQ(config.HasTag("category-region-2"), c.gapStays) << c.tags;
    }
}

TEST_F(OldConfigUpgrade, GeneralStepsInOrder) {
    const std::string before =
        "kind \"scenery\"\nasset-filename \"tree\"\nrgb 1,2\nlicense \"\"\n"
        "scriptlibrary \"s.gs\"\nclasslibrary \"Tree\"\nauteur \"Ann\"\nauthor \"Old\"\n"
        "organization \"Org\"\nuser-name \"Someone\"\ndescription: \"Tall\"\n"
        "region <kuid:1:1>\ncopyright \"x\"\n123 1\n___ 2\na_1 3\nthumbnail \"t.jpg\"\n"
        "type \"x\"\ntrackside 1\nfunction \"f\"\n";
    EXPECT_EQ(Described(before),
              "kind=s:scenery a_1=i:3 trackside=i:1 username=s:tree script=s:s.gs class=s:Tree "
              "mesh-table{default{"
              "auto-create=i:1 mesh=s:tree.im}} category-era=s:1800s category-class=s:ZX "
              "category-region=s:00 author=s:Ann organisation=s:Org description=s:Tall "
              "kodrin-build=f:2.9");
}

TEST_F(OldConfigUpgrade, DropsPlainTagsAfterTheDescriptionUpToAPossibility) {
    EXPECT_EQ(Described("kind \"scenery\"\nusername \"S\"\ndescription \"D\"\nfoo 1\nauthor \"A\"\n"
                        "trackside 1\nbar 2\nasset-x 1\n"),
              "kind=s:scenery username=s:S description=s:D author=s:A trackside=i:1 bar=i:2" +
                  kTail);
    // A tag the kinds inherit from the base template counts: an old name moved after the
    // description stays (the plain tag before it goes).
    EXPECT_EQ(Described("kind \"scenery\"\nname \"Shed\"\ndescription \"D\"\nfoo 1\n"),
              "kind=s:scenery description=s:D username=s:Shed" + kTail);
    EXPECT_EQ(Described("kind \"scenery\"\nusername \"S\"\nfoo 1\n"),
              "kind=s:scenery username=s:S foo=i:1" + kTail);
    EXPECT_EQ(Described("kind \"scenery\"\nusername \"S\"\ndescription \"D\"\nfoo 1\nsmoke\n{\n}\n"
                        "bar 2\n"),
              "kind=s:scenery username=s:S description=s:D smoke{} bar=i:2" + kTail);
}

TEST_F(OldConfigUpgrade, MapsKeepOnlyARegionThatIsAKUID) {
    const struct {
        const char* config;
        bool regionStays;
    } cases[] = {
        {"kind \"map\"\nregion <kuid:1:1>\n", true},
        {"kind \"map\"\nregion \"north\"\n", false},
        {"kind \"Map\"\nregion \"north\"\n", true},
        {"kind \"scenery\"\nregion <kuid:1:1>\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Upgrade(c.config).HasTag("region"), c.regionStays) << c.config;
}

TEST_F(OldConfigUpgrade, UserNames) {
    EXPECT_EQ(Upgrade("kind \"scenery\"\nusername \"\"\nasset-filename \"file\"\n")
                  .GetNamedTag("username"),
              "file");
    EXPECT_EQ(Upgrade("kind \"scenery\"\nname \"Old\"\nasset-filename \"file\"\n")
                  .GetNamedTag("username"),
              "Old");
    const char* const names[] = {"Ann\r\n", "Ann\r", "Ann\nB", "Ann"};
    for (const char* name : names) {
        ACSChunkRef config = soup_text_test::Parse("kind \"scenery\"\n");
        config.SetNamedTagString("username", name);
        config.SetNamedTagString("author", "A");
        DAROdi::DataManager::Instance().buildStamp = 2.0f;
        DAROdi::UpgradeOldConfigIfNeeded(config);
        EXPECT_EQ(config.GetNamedTag("username"), "Ann") << name;
        // A user name without line ends stays where it stands, before "author".
        if (std::string(name) == "Ann") {
            EXPECT_EQ(config.GetIndexedTagName(1), "username");
        }
    }
}

TEST_F(OldConfigUpgrade, RebuildsSoundListsAndNamesEffects) {
    const ACSChunkRef config = Upgrade(
        "kind \"scenery\"\nusername \"S\"\nsoundscript\n{\n  bell\n  {\n    sound\n    {\n"
        "      ring.wav\n      volume 3\n    }\n  }\n}\nmesh-table\n{\n  default\n  {\n"
        "    effects\n    {\n      plate\n      {\n        kind \"name\"\n      }\n    }\n  }\n}\n"
        "night \"n\"\n");
    EXPECT_EQ(soup_text_test::Describe(config.GetNamedSoup("soundscript")),
              "bell{sound{0=s:ring.wav volume=s:3}}");
    EXPECT_EQ(soup_text_test::Describe(config.GetNamedSoup("mesh-table")),
              "default{effects{plate{kind=s:name name=s:plate}}}");
    EXPECT_FALSE(config.HasTag("night"));
}

} // namespace
