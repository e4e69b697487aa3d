// Matching configs against templates: kind resolution and refinement, definition lookup
// (prefixes, numbered sequences), repeated and missing tags, child containers of the three
// forms, obsolete and undefined containers, and the faults of broken template sets
// (cyclic inheritance, a smoke definition without a smoke template).
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/results/results_log.h"
#include "validation/darodi/tag_types.h"
#include "validation/darodi/validate_asset.h"
#include "matching_test_support.h"

namespace {

using validation_test::Head;
using validation_test::MatchingFixture;
using Strings = std::vector<std::string>;

class TemplateMatchingTest : public ::testing::Test {
  protected:
    MatchingFixture fixture{"matching"};
};

TEST_F(TemplateMatchingTest, KindsAreRefinedByHeightBuildAndTags) {
    struct Case {
        const char* kind;
        const char* build;
        const char* extra;
        const char* templateName;
    };
    const Case cases[] = {
        {"bridge", "3.3", "height -0.002\n", "bridge"},
        {"bridge", "3.3", "height 0.002\n", "tunnel"},
        {"bridge", "3.3", "height 0.0\n", "double-track"},
        {"bridge", "3.3", "height 0.001\n", "double-track"},
        {"bridge", "3.3", "", "double-track"},
        {"Bridge", "3.3", "height -0.5\n", "Bridge"}, // not refined, template still found
        {"track", "2.8", "unit_mesh 1\n", "mesh-reducing-track"},
        {"track", "2.9", "unit_mesh 1\n", "track"},
        {"track", "2.8", "chunky_mesh 1\nunit_mesh 1\n", "chunky-track"},
        {"track", "2.89", "", "obsolete-track"},
        {"track", "2.9", "", "track"},
        {"scenery", "3.3", "trackside 1\n", "scenery-trackside"},
        {"scenery", "3.3", "", "scenery"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(fixture.Match(Head(c.kind, c.build) + c.extra)) << c.kind << " " << c.extra;
        EXPECT_EQ(fixture.root->templateName.View(), c.templateName) << c.kind << " " << c.extra;
        EXPECT_TRUE(fixture.root->isRoot);
    }
}

TEST_F(TemplateMatchingTest, AConfigWithoutKindOrKindTemplateFails) {
    struct Case {
        std::string config;
        const char* finding;
    };
    const Case cases[] = {
        {"kuid <kuid:414100:77>\n", "E:nokindtag"},
        {"kuid <kuid:414100:77>\nkind \"\"\n", "E:nokindtag"},
        {Head("lighthouse"), "E:nokindspecification"},
        {Head("painted"), "E:nokindspecification"}, // a template, but not a top-level one
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(fixture.Match(c.config)) << c.config;
        EXPECT_EQ(fixture.Findings(), Strings{c.finding}) << c.config;
    }
}

TEST_F(TemplateMatchingTest, TagDefinitionsAreFoundByPrefixAndNumberedSequence) {
    struct Case {
        const char* line;
        const char* name;
        int32_t typeCode;
        Strings findings;
    };
    const Case cases[] = {
        {"description-de \"Kiste\"\n", "description-de", DAROdi::TagType::kString, {}},
        {"username-fr \"Boite\"\n", "username-fr", DAROdi::TagType::kString, {}},
        {"bogey5 7\n", "bogey5", DAROdi::TagType::kInt, {}},
        {"bogey12 7\n", "bogey12", DAROdi::TagType::kInt, {}},
        {"bogey123 7\n", "bogey123", DAROdi::TagType::kFloat, {}},
        {"gear5 7\n", "gear5", DAROdi::TagType::kUnknown, {"E:nodefinition gear5 in scenery"}},
        {"mood \"calm\"\n", "mood", DAROdi::TagType::kUnknown, {"E:nodefinition mood in scenery"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fixture.Match(Head("scenery") + c.line)) << c.line;
        const DAROdi::Tag* tag = fixture.RootTag(c.name);
        ASSERT_NE(tag, nullptr) << c.line;
        EXPECT_EQ(tag->typeCode, c.typeCode) << c.line;
        EXPECT_EQ(fixture.Findings(), c.findings) << c.line;
    }
}

TEST_F(TemplateMatchingTest, IdentityTagsLeadTheListAndANameMakesOneTag) {
    ASSERT_TRUE(fixture.Match("description \"first\"\nkind \"scenery\"\nkuid <kuid:414100:77>\n"
                              "username \"Box\"\nkodrin-build 3.3\n"));
    Strings names;
    for (const auto& tag : fixture.root->Tags())
        names.emplace_back(tag->name.View());
    EXPECT_EQ(names, (Strings{"kuid", "username", "description", "kind", "kodrin-build"}));
    EXPECT_TRUE(fixture.root->IdentityTags().empty());
    DAROdi::Container& root = *fixture.root;
    for (const char* name : {"description", "kuid"})
        EXPECT_EQ(root.AddConfigTag(&root, Kiv::PString(name), ACSChunkRef(), root.GetConfig()),
                  nullptr)
            << name;
    EXPECT_EQ(fixture.RootTag("description")->value.View(), "first");
}

TEST_F(TemplateMatchingTest, AMissingRequiredTagOfTheParentIsReportedAndExportedWithItsDefault) {
    ASSERT_TRUE(fixture.Match("kuid <kuid:414100:77>\nkind \"shed\"\nkodrin-build 3.3\n"));
    EXPECT_EQ(fixture.Findings(), (Strings{"W:missingtag username", "W:missingtag colour"}));
    EXPECT_EQ(fixture.root->Tags()[1]->name.View(), "username"); // filed with the identity tags
    ASSERT_TRUE(fixture.Match(Head("shed")));
    EXPECT_EQ(fixture.Findings(), Strings{"W:missingtag colour"});
    EXPECT_EQ(fixture.RootTag("colour")->value.View(), "grey");
    EXPECT_TRUE(fixture.Export());
    EXPECT_EQ(std::string(fixture.exported.GetNamedTag(Kiv::PString("colour")).View()), "grey");
}

TEST_F(TemplateMatchingTest, ASmokeContainerWithAFileNeedsNoRate) {
    struct Case {
        const char* body;
        Strings findings;
    };
    const Case cases[] = {
        {"smoke1\n{\nfile \"puff.tga\"\n}\n", {}},
        {"smoke1\n{\nname \"puff\"\n}\n",
         {"E:nodefinition name in smoke1", "W:missingtag rate"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fixture.Match(Head("scenery") + c.body)) << c.body;
        EXPECT_EQ(fixture.Findings(), c.findings) << c.body;
        ASSERT_EQ(fixture.root->Children().size(), 1u);
        EXPECT_EQ(fixture.root->Children()[0]->templateName.View(), "smoke");
    }
}

TEST_F(TemplateMatchingTest, UndefinedAndRetiredContainersAreReported) {
    struct Case {
        const char* build;
        const char* body;
        Strings findings;
    };
    const Case cases[] = {
        {"3.3", ".cache\n{\n}\n", {"E:nodefinition .cache in scenery", "E:oldcontainer"}},
        {"3.3", "shelf\n{\n}\n", {"E:nodefinition shelf in scenery"}},
        {"2.6", "crate\n{\n}\n", {"W:obsoletetag crate in scenery"}},   // retired at 2.6
        {"2.59", "crate\n{\n}\n", {"E:nodefinition crate in scenery"}}, // not yet retired
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(fixture.Match(Head("scenery", c.build) + c.body)) << c.body;
        EXPECT_EQ(fixture.Findings(), c.findings) << c.build << " " << c.body;
    }
}

TEST_F(TemplateMatchingTest, ChildContainersAreMatchedByElementAndArrayElementTemplates) {
    ASSERT_TRUE(fixture.Match(Head("scenery") +
                              "mesh-table\n{\ndefault\n{\nmesh \"box.im\"\nauto-create 1\n}\n"
                              "shadow\n{\nmesh \"box-shadow.im\"\n}\n}\n"));
    EXPECT_EQ(fixture.Findings(), Strings{});
    ASSERT_EQ(fixture.root->Children().size(), 1u);
    const DAROdi::Container& table = *fixture.root->Children()[0];
    EXPECT_EQ(table.templateName.View(), "mesh-table");
    EXPECT_EQ(table.elementTemplateNames, std::vector<Kiv::PString>{Kiv::PString("mesh-element")});
    ASSERT_EQ(table.Children().size(), 2u);
    EXPECT_EQ(table.Children()[1]->templateName.View(), "mesh-element");
    EXPECT_EQ(table.Children()[1]->index, 1);
    EXPECT_EQ(table.Children()[1]->FindTag(Kiv::PString("mesh"))->value.View(), "box-shadow.im");
    const auto& listed = DAROdi::DataManager::Instance().ListItemsA(Kiv::PString("mesh-table"));
    EXPECT_EQ(listed.size(), 2u);
}

TEST_F(TemplateMatchingTest, RetiredEntriesJoinTheTemplateWhateverTheBuild) {
    ASSERT_TRUE(fixture.Match(Head("scenery", "2.5")));
    const ACSChunkRef base = fixture.root->GetTemplate(Kiv::PString("base"));
    const ACSChunkRef definitions = base.GetNamedSoup(Kiv::PString("subpossibilities"));
    EXPECT_FALSE(definitions.GetNamedSoup(Kiv::PString("category-region-0")).IsNull());
    EXPECT_TRUE(fixture.root->obsoleteNames.empty() ||
                std::find(fixture.root->obsoleteNames.begin(), fixture.root->obsoleteNames.end(),
                          Kiv::PString("category-region-0")) == fixture.root->obsoleteNames.end());
}

class BrokenTemplatesTest : public ::testing::Test {
  protected:
    MatchingFixture fixture{"faults"};
};

TEST_F(BrokenTemplatesTest, ACyclicInheritanceIsReportedAndFailsTheMatch) {
    struct Case {
        std::string config;
        const char* finding;
    };
    const Case cases[] = {
        {Head("looped"), "E:cyclicinherit loop-a"},
        {Head("mirror"), "E:cyclicinherit mirror"},
        {Head("engine") + "wheels\n{\n}\n", "E:cyclicinherit wheel-set"}, // in the rule merge
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(fixture.Match(c.config)) << c.config;
        EXPECT_EQ(fixture.Findings(), Strings{c.finding}) << c.config;
    }
}

TEST_F(BrokenTemplatesTest, ASmokeContainerWithoutASmokeTemplateIsReported) {
    EXPECT_FALSE(fixture.Match(Head("engine") + "puff0\n{\n}\n"));
    EXPECT_EQ(fixture.Findings(), Strings{"E:nocontainerdefinition smoke"});
    EXPECT_TRUE(fixture.Match(Head("engine") + "smoke2\n{\n}\n"));
    EXPECT_EQ(fixture.Findings(), (Strings{"E:nosmoke", "E:nodefinition smoke2 in engine"}));
}

} // namespace

namespace {

// Validations in one process share the template store and the data manager; each asset
// still gets the findings it gets alone.
Strings ValidateBox(const MatchingFixture& fixture, const std::string& config) {
    fixture.Install().WriteLocalConfig("box", config);
    ResultsLog log;
    ValidateAsset(Kiv::PString("local"), Kiv::File::Path(fixture.Install().LocalFolder("box").c_str()),
                  log);
    Strings texts;
    for (const ResultsLogEntry& entry : log.Entries())
        texts.emplace_back(entry.text.View());
    return texts;
}

TEST_F(TemplateMatchingTest, AssetsValidatedInSequenceGetTheFindingsTheyGetAlone) {
    const std::string table = "mesh-table\n{\ndefault\n{\nmesh \"a.im\"\nauto-create 1\n"
                              "att-parent \"nothing\"\n}\nshadow\n{\nmesh \"b.im\"\n}\n}\n";
    const std::string plain = Head("scenery", "2.6") + "crate\n{\n}\n" + table;
    const std::string aliased = Head("scenery", "2.6") + "alias <kuid:414100:78>\n" + table;
    const Strings alone = ValidateBox(fixture, plain);
    EXPECT_EQ(alone, (Strings{"obsoletetag crate in scenery",
                              "notavalidpossibility2 att-parent=nothing at mesh-table\\default"}));
    const Strings aliasedAlone = ValidateBox(fixture, aliased);
    EXPECT_EQ(aliasedAlone, Strings{"alias"});
    EXPECT_EQ(ValidateBox(fixture, plain), alone);
    EXPECT_EQ(ValidateBox(fixture, aliased), aliasedAlone);
}

} // namespace

namespace {

TEST_F(TemplateMatchingTest, ACompulsoryValueIsPendingAndAPendingStringTakesAPersonalDetail) {
    DAROdi::DataManager::Instance().personalDetails.license = Kiv::PString("CC0");
    ASSERT_TRUE(fixture.Match(Head("shed")));
    Strings pending;
    for (const auto& tag : fixture.root->PendingTags())
        pending.emplace_back(tag->name.View());
    EXPECT_EQ(pending, (Strings{"kuid", "kind", "username", "colour"}));
    ACSChunkRef definition;
    definition.SetNamedTagString(Kiv::PString("type"), "string");
    DAROdi::Container& root = *fixture.root;
    for (const bool withConfig : {false, true}) {
        std::unique_ptr<DAROdi::Tag> tag =
            root.AddConfigTag(&root, Kiv::PString("license"), definition,
                              withConfig ? root.GetConfig() : ACSChunkRef());
        ASSERT_NE(tag, nullptr);
        EXPECT_EQ(tag->value.View(), withConfig ? "" : "CC0");
    }
}

TEST_F(TemplateMatchingTest, ATypedChildTakesTheLastTypeNamingItsKind) {
    ACSChunkRef definition;
    definition.SetNamedTagString(Kiv::PString("container-type0"), "effect-attachment");
    definition.SetNamedTagString(Kiv::PString("container-type1"), "effect-corona");
    ASSERT_TRUE(fixture.Match(Head("scenery")));
    const std::pair<const char*, const char*> cases[] = {
        {"corona", "effect-corona"},
        {"attachment", "effect-attachment"},
        {"effect", "effect-corona"}, // both name it: the last wins
        {"smoke", "effect-attachment"}, // none: the first type
    };
    for (const auto& [kind, type] : cases)
        EXPECT_EQ(fixture.root->GetContainerType(definition, Kiv::PString(kind)).View(), type)
            << kind;
}

} // namespace
