// Lints the project's template set (data/VAVIrov): every file parses as the data manager
// reads it, every referenced template exists, type words, value sources and rule names are
// known, numbers are numbers (one tag per line), inheritance has no cycle, and the example
// assets use kinds and codes the set offers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"
#include "validation/darodi/tag_types.h"

namespace {

namespace fs = std::filesystem;

const std::string kTemplateFolder = std::string(KODRIN_SOURCE) + "/data/VAVIrov";
const char* const kTemplateFiles[] = {"inheritance.txt", "kind.txt", "container.txt"};
// Comboboxes may also take their values from these lists of the asset itself.
const std::set<std::string> kAssetSources = {"attachment", "mesh-table", "attached-track",
                                             "queues"};
// The names of the rule tables.
const std::set<std::string> kKnownRules = {
    "uniquenames", "hasvalidtexturefile", "meshtablehasshadow", "meshtablehasvisiblemesh",
    "istracksidetype", "needcollatemeshes", "ispositive", "isnotzero", "scriptfileexists",
    "range", "arraysize", "notownparent", "mustbeownparent", "mustbeinlightcontainer",
    "mustbepaired"};

ACSChunkRef Load(const std::string& name) {
    ACSChunkRef soup;
    if (!soup.LoadFromFile(kTemplateFolder.c_str(), name.c_str(), "txt", false)) return {};
    return soup;
}

std::vector<std::string> ChildNames(const ACSChunkRef& soup) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < soup.CountTags(); ++i)
        names.emplace_back(soup.GetIndexedTagName(i).View());
    return names;
}

std::string Text(const ACSChunkRef& soup, const char* key) {
    return std::string(soup.GetNamedTag(Kiv::PString(key)).View());
}

// The templates as the data manager merges them: the last entry of a name wins.
std::map<std::string, ACSChunkRef> Templates() {
    std::map<std::string, ACSChunkRef> templates;
    for (const char* file : kTemplateFiles) {
        const ACSChunkRef soup = Load(file);
        for (int32_t i = 0; i < soup.CountTags(); ++i)
            templates[std::string(soup.GetIndexedTagName(i).View())] = soup.GetIndexedSoup(i);
    }
    return templates;
}

class TemplateSetLint : public ::testing::Test {
  protected:
    void CheckRules(const std::string& where, const ACSChunkRef& owner) {
        for (const std::string& rule : ChildNames(owner.GetNamedSoup(Kiv::PString("validation"))))
            EXPECT_TRUE(kKnownRules.count(rule)) << where << " names the rule " << rule;
    }
    void CheckNumbers(const std::string& where, const ACSChunkRef& soup) {
        for (const char* key : {"compulsory", "top-level", "unique", "disabled", "sequence",
                                "numarray"}) {
            const Kiv::PString name(key);
            if (!soup.HasTag(name)) continue;
            EXPECT_EQ(soup.GetNamedTagType(name), ACSTagType::IntArray) << where << " " << key;
        }
    }
    void CheckDefinition(const std::string& where, const ACSChunkRef& definition) {
        CheckNumbers(where, definition);
        CheckRules(where, definition);
        const std::string kind = Text(definition, "kind");
        EXPECT_TRUE(kind == "value" || kind == "element") << where << " kind " << kind;
        if (kind == "element") {
            EXPECT_TRUE(templates.count(Text(definition, "element-type"))) << where;
            return;
        }
        const std::string type = Text(definition, "type");
        EXPECT_TRUE(DAROdi::IsKnownTagType(Kiv::PString(type.c_str())))
            << where << " type " << type;
        if (type == "combobox" || type == "intcombobox" || type == "listbox") {
            const std::string source = Text(definition, "source");
            const bool asset = type == "combobox" && kAssetSources.count(source);
            EXPECT_TRUE(asset || (!source.empty() && fs::is_regular_file(kTemplateFolder + "/" +
                                                                         source)))
                << where << " source " << source;
        }
    }

    const std::map<std::string, ACSChunkRef> templates = Templates();
};

TEST_F(TemplateSetLint, EveryFileReadsAndEveryDefinitionIsKnown) {
    ASSERT_TRUE(templates.count("base"));
    for (const auto& entry : fs::directory_iterator(kTemplateFolder))
        EXPECT_TRUE(entry.is_regular_file()) << entry.path(); // every entry is a value list
    for (const auto& [name, soup] : templates) {
        ASSERT_NE(soup.Get(), nullptr) << name;
        CheckNumbers(name, soup);
        CheckRules(name, soup);
        const ACSChunkRef elements = soup.GetNamedSoup(Kiv::PString("array-element"));
        for (const std::string& key : ChildNames(elements))
            EXPECT_TRUE(templates.count(Text(elements, key.c_str()))) << name << "." << key;
        for (const char* group : {"subpossibilities", "tagarray"}) {
            const ACSChunkRef definitions = soup.GetNamedSoup(Kiv::PString(group));
            for (int32_t i = 0; i < definitions.CountTags(); ++i) {
                CheckDefinition(name + "." + std::string(definitions.GetIndexedTagName(i).View()),
                                definitions.GetIndexedSoup(i));
            }
        }
    }
}

TEST_F(TemplateSetLint, InheritanceNamesExistingTemplatesWithoutACycle) {
    std::map<std::string, int> state; // 1 on the path, 2 done
    std::function<void(const std::string&)> visit = [&](const std::string& name) {
        state[name] = 1;
        for (const std::string& parent : ChildNames(
                 templates.at(name).GetNamedSoup(Kiv::PString("inherit")))) {
            ASSERT_TRUE(templates.count(parent)) << name << " inherits " << parent;
            ASSERT_NE(state[parent], 1) << "cycle through " << parent;
            if (state[parent] == 0) visit(parent);
        }
        state[name] = 2;
    };
    for (const auto& [name, soup] : templates) {
        if (state[name] == 0) visit(name);
    }
}

TEST_F(TemplateSetLint, TheExamplesUseOfferedKindsAndCodes) {
    std::map<std::string, std::set<std::string>> lists;
    for (const char* file : {"classes.txt", "regions.txt", "eras.txt"}) {
        std::ifstream in(kTemplateFolder + "/" + file);
        for (std::string line; std::getline(in, line);)
            lists[file].insert(line.substr(0, line.find(' ')));
    }
    const std::string examples = std::string(KODRIN_SOURCE) + "/examples";
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (!entry.is_directory()) continue;
        ACSChunkRef config;
        ASSERT_TRUE(config.LoadFromFile(entry.path().c_str(), "config.txt", "txt", false));
        const std::string kind = Text(config, "kind");
        ASSERT_TRUE(templates.count(kind)) << entry.path();
        EXPECT_EQ(templates.at(kind).GetNamedTagAsInt(Kiv::PString("top-level"), 0), 1);
        EXPECT_TRUE(lists["classes.txt"].count(Text(config, "category-class"))) << entry.path();
        EXPECT_TRUE(lists["regions.txt"].count(Text(config, "category-region"))) << entry.path();
        std::string eras = Text(config, "category-era");
        for (size_t start = 0; start <= eras.size();) {
            const size_t end = std::min(eras.find(';', start), eras.size());
            EXPECT_TRUE(lists["eras.txt"].count(eras.substr(start, end - start))) << eras;
            start = end + 1;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

} // namespace
