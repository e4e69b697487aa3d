// Shared set-up of the template matching, export and rule tests: a temporary installation
// whose template folder is one of tests/fixtures/validation/, finding texts written for
// these tests, and helpers that match a config text, export the checked tree and read the
// findings back as "E:", "W:" or "M:" followed by the text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/soup/chunk_ref.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation_test_support.h"

namespace validation_test {

inline const char* const kFindingTexts =
    "$tet_container_nokindtag                \"nokindtag\"\n"
    "$tet_container_nokindspecification      \"nokindspecification\"\n"
    "$tet_container_alias                    \"alias\"\n"
    "$tet_container_obsoletetag              \"obsoletetag %s in %s\"\n"
    "$tet_container_nodefinition             \"nodefinition %s in %s\"\n"
    "$tet_container_oldcontainer             \"oldcontainer\"\n"
    "$tet_container_errorintemplate          \"errorintemplate %s\"\n"
    "$tet_container_nosmoke                  \"nosmoke\"\n"
    "$tet_container_nocontainerdefinition    \"nocontainerdefinition %s\"\n"
    "$tet_container_missingtag               \"missingtag %s\"\n"
    "$tet_container_cyclicinherit            \"cyclicinherit %s\"\n"
    "$tet_container_notboolean               \"notboolean %s in %s\"\n"
    "$tet_container_emptystringerr           \"emptystringerr %s in %s\"\n"
    "$tet_container_emptystringwarn          \"emptystringwarn %s in %s\"\n"
    "$tet_container_emptyname                \"emptyname %s in %s\"\n"
    "$tet_container_emptycombobox            \"emptycombobox %s in %s\"\n"
    "$tet_container_emptylistbox             \"emptylistbox %s in %s\"\n"
    "$tet_container_nomeshext                \"nomeshext %s in %s\"\n"
    "$tet_container_nopictureext             \"nopictureext %s in %s\"\n"
    "$tet_container_noanimationext           \"noanimationext %s in %s\"\n"
    "$tet_container_notavalidpossibility     \"notavalidpossibility %s in %s mesh %s\"\n"
    "$tet_container_noattparent              \"noattparent %s\"\n"
    "$tet_container_notavalidpossibility2    \"notavalidpossibility2 %s=%s at %s\"\n"
    "$tet_val_arraywrongsize                 \"arraywrongsize %s %d %d\"\n"
    "$tet_val_duplicatecontainername         \"duplicatecontainername %s in %s\"\n"
    "$tet_val_duplicatetagname               \"duplicatetagname %s in %s\"\n"
    "$tet_val_texturefiledne                 \"texturefiledne %s\"\n"
    "$tet_val_texturefilenotspecified        \"texturefilenotspecified\"\n"
    "$tet_val_shadow_missing                 \"shadow_missing\"\n"
    "$tet_val_no_visible_mesh                \"no_visible_mesh\"\n"
    "$tet_val_wrongtype                      \"wrongtype %s %s %s\"\n"
    "$tet_val_notype                         \"notype %s %s %s\"\n"
    "$tet_val_nocollatemeshes                \"nocollatemeshes %s %s\"\n"
    "$tet_val_notpositive                    \"notpositive %s\"\n"
    "$tet_val_notzero                        \"notzero %s\"\n"
    "$tet_val_notwithinrange                 \"notwithinrange %s %g %g\"\n"
    "$tet_val_scriptfiledne                  \"scriptfiledne %s\"\n"
    "$tet_val_notownparent                   \"notownparent\"\n"
    "$tet_val_mustbeownparent                \"mustbeownparent %s %s\"\n"
    "$tet_val_musthavealightcontainer        \"musthavealightcontainer\"\n"
    "$tet_val_mustbeinlightcontainer         \"mustbeinlightcontainer %d\"\n"
    "$tet_val_mustbepaired                   \"mustbepaired %s %s\"\n";

inline std::string FixtureFolder(const char* name) {
    return std::string(KODRIN_SOURCE) + "/tests/fixtures/validation/" + name;
}

// The asset "box" of the location "local" is the asset being validated.
class MatchingFixture {
    TestInstallation install_; // made first, gone last

  public:
    explicit MatchingFixture(const char* fixture) : install_(FixtureFolder(fixture), kFindingTexts) {
        DAROdi::DataManager::Instance().SetAssetLocation(Kiv::PString("local"), "box");
    }

    // A new root matched against the config text; the findings of the match only.
    bool Match(const std::string& configText) {
        install_.WriteLocalConfig("box", configText);
        ACSChunkRef config;
        config.LoadFromFile(install_.LocalFolder("box").c_str(), "config.txt", "txt", false);
        root.reset();
        DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
        manager.aliasFlag = false; // as the driver leaves them after each asset
        manager.meshFailed = false;
        DAROdi::ErrorHandler::Instance()->Clear();
        root = std::make_unique<DAROdi::Container>();
        return root->ResolveKind(config);
    }
    // The root's export and container rules, as the driver runs them; their findings only.
    bool Export() {
        DAROdi::ErrorHandler::Instance()->Clear();
        exported = ACSChunkRef();
        const bool written = root->Export(exported);
        return root->RunContainerRules() && written;
    }
    std::vector<std::string> Findings() const {
        std::vector<std::string> texts;
        for (const DAROdi::ErrorEntry& entry : DAROdi::ErrorHandler::Instance()->GetEntries()) {
            const char* prefix = entry.severity == DAROdi::Severity::kError     ? "E:"
                                 : entry.severity == DAROdi::Severity::kWarning ? "W:"
                                                                                 : "M:";
            texts.push_back(prefix + std::string(entry.text.View()));
        }
        return texts;
    }
    DAROdi::Tag* RootTag(const char* name) const { return root->FindTag(Kiv::PString(name)); }
    const TestInstallation& Install() const { return install_; }

    std::unique_ptr<DAROdi::Container> root;
    ACSChunkRef exported;
};

// The head of a config of the kind: kuid, kind and username.
inline std::string Head(const char* kind, const char* build = "3.3") {
    return std::string("kuid <kuid:414100:77>\nkind \"") + kind + "\"\nusername \"Box\"\n" +
           "kodrin-build " + build + "\n";
}

} // namespace validation_test
