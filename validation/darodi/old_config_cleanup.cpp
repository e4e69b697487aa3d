// The later steps of the old-config upgrade (old_config_cleanup.h), in their order.
#include "validation/darodi/old_config_cleanup.h"

#include <string>

#include "foundation/soup/chunk.h"
#include "validation/darodi/category_tokens.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/old_config_upgrade.h"

namespace DAROdi {
namespace {

// Every name effect without a name takes its own entry name.
void NameMeshTableEffects(ACSChunkRef& config) {
    const ACSChunkRef table = config.GetNamedSoup("mesh-table");
    if (table.IsNull()) return;
    config.RemoveNamedTag("night");
    Kiv::PString name;
    ACSChunkRef entry;
    for (int32_t i = 0; table->GetIndexedChild(i, name, entry); ++i) {
        const ACSChunkRef effects =
            entry->GetType() == ACSTagType::Container ? entry.GetNamedSoup("effects") : ACSChunkRef();
        ACSChunkRef effect;
        for (int32_t j = 0; !effects.IsNull() && effects->GetIndexedChild(j, name, effect); ++j) {
            if (effect.GetNamedTag("kind").Std() == "name" && effect.GetNamedTag("name").IsEmpty())
                effect.SetNamedTagString("name", name.c_str());
        }
    }
}

// A sound list's bare file names become numbered entries; other values become texts.
ACSChunkRef RebuildSoundList(const ACSChunkRef& old) {
    ACSChunkRef rebuilt;
    rebuilt.EnsureContainer();
    Kiv::PString name;
    ACSChunkRef child;
    for (int32_t i = 0; old->GetIndexedChild(i, name, child); ++i) {
        const Kiv::String text = old.GetNamedTag(name);
        if (text.IsEmpty())
            rebuilt.SetNamedTagString(Kiv::PString::Setf("%d", i), name.c_str());
        else
            rebuilt.SetNamedTagString(name, text.c_str());
    }
    return rebuilt;
}

void UpgradeSoundScripts(ACSChunkRef& config) {
    const ACSChunkRef scripts = config.GetNamedSoup("soundscript");
    if (scripts.IsNull()) return;
    Kiv::PString name;
    ACSChunkRef script;
    for (int32_t i = 0; scripts->GetIndexedChild(i, name, script); ++i) {
        if (script->GetType() != ACSTagType::Container || !script.HasTag("sound")) continue;
        const ACSChunkRef old = script.GetNamedSoup("sound");
        if (old.IsNull()) continue;
        ACSChunkRef rebuilt = RebuildSoundList(old);
        script.RemoveNamedTag("sound");
        script.SetNamedSoup("sound", rebuilt);
    }
}

void DropFunction(ACSChunkRef& config, const Kiv::PString& kind) {
    if (kind.EqualsIgnoreCase("mospeedboard") ||
        (config.HasTag("trackside") && !kind.EqualsIgnoreCase("mosignal")))
        config.RemoveNamedTag("function");
}

bool IsWorldRegion(const Kiv::PString& region) {
    for (const char* world : {"EU", "any region in the world", "World Trees", "ALL"})
        if (region.EqualsIgnoreCase(world)) return true;
    return region.IsEmpty();
}

void SetCategoryDefaults(ACSChunkRef& config, const Kiv::String& kind) {
    if (DataManager::Instance().renamesFlag) return;
    if (config.GetNamedTag("category-era").IsEmpty())
        config.SetNamedTagString("category-era", "1800s");
    if (LookupLegacyCategory(kind.c_str(), config.GetNamedTag("category-class").c_str()).IsEmpty())
        config.SetNamedTagString("category-class", "ZX");
    if (IsWorldRegion(config.GetNamedTag("category-region").ToPString()))
        config.SetNamedTagString("category-region", "00");
}

void RemoveTags(ACSChunkRef& config, std::initializer_list<const char*> names) {
    for (const char* name : names) config.RemoveNamedTag(name);
}

// Sets to the value of from unless the config has to already (or replace), then removes
// from.
void MoveOldKey(ACSChunkRef& config, const char* from, const char* to, bool replace) {
    if (!config.HasTag(from)) return;
    if (replace || !config.HasTag(to))
        config.SetNamedTagString(to, config.GetNamedTag(from).c_str());
    config.RemoveNamedTag(from);
}

bool IsOddTagName(std::string_view name) {
    if (name.empty() || name.find_first_of("\"'{}") != std::string_view::npos) return true;
    return name.find_first_not_of('_') == std::string_view::npos ||
           name.find_first_not_of("0123456789") == std::string_view::npos;
}

void RemoveOddTagNames(ACSChunkRef& config) {
    for (int32_t i = config.CountTags() - 1; i >= 0; --i) {
        const Kiv::PString name = config.GetIndexedTagName(i);
        if (IsOddTagName(name.View())) config.RemoveNamedTag(name);
    }
}

void CutUserNameLineEnd(ACSChunkRef& config) {
    const std::string name(config.GetNamedTag("username").View());
    std::string cut = name.substr(0, name.find('\r'));
    cut = cut.substr(0, cut.find('\n'));
    if (cut.size() != name.size()) config.SetNamedTagString("username", cut.c_str());
}

} // namespace

void UpgradeThumbnail(ACSChunkRef& config) {
    if (!config.HasTag("icon-texture") || config.HasTag("thumbnails")) return;
    ACSChunkRef image;
    image.SetNamedTagString("image", config.GetNamedTag("icon-texture").c_str());
    image.SetNamedTagInt("width", 64);
    image.SetNamedTagInt("height", 64);
    ACSChunkRef thumbnails;
    thumbnails.SetNamedSoup("0", image);
    config.SetNamedSoup("thumbnails", thumbnails);
    config.RemoveNamedTag("icon-texture");
}

void UpgradeLaterSteps(ACSChunkRef& config, const Kiv::String& kind) {
    const Kiv::PString kindName = kind.ToPString();
    RemoveTags(config, {"fontsize", "fontcolor"});
    NameMeshTableEffects(config);
    config.RemoveNamedTag("type");
    if (!kindName.EqualsIgnoreCase("map")) config.RemoveNamedTag("region");
    UpgradeSoundScripts(config);
    DropFunction(config, kindName);
    SetCategoryDefaults(config, kind);
    UpgradeThumbnail(config);
    RemoveTags(config, {";", "\"", "rem", "licence", "disclaimer:", "licence:", "licence:-",
                        "name-ru", "name-es", "name-fr", "name-pl", "name-de", "name-it",
                        "name-cz", "name-cn", "name-nl", "name-hu", "origin", "objremarks",
                        "origregion", "orgname", "origname", "pelmo", "company", "kodrin",
                        "kodrin_build", "train-build", "version", "obsolete"});
    MoveOldKey(config, "auteur", "author", true);
    MoveOldKey(config, "organization", "organisation", false);
    MoveOldKey(config, "user-name", "username", false);
    MoveOldKey(config, "name", "username", false);
    MoveOldKey(config, "description:", "description", false);
    UpgradeAgainstPossibilities(config);
    UpgradeAssetTags(config);
    RemoveTags(config, {"by", "you", "this", "the", "these", "-", "all", "copyright", "use",
                        "have", "check", "only", "keep", "for", "in", "alternate", "feel", "no",
                        "contact", "created", "//", ";", "*"});
    RemoveOddTagNames(config);
    CutUserNameLineEnd(config);
}

} // namespace DAROdi
