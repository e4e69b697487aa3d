// The mesh-table builders of the old-config upgrade that need no mesh: shadow and body
// meshes, bogeys, named modes and restructured interiors (old_config_mesh_tables.h).
#include "foundation/soup/chunk.h"
#include "validation/darodi/old_config_mesh_tables.h"

#include <string>

#include "engine/file_path.h"
#include "validation/darodi/old_config_soup.h"

namespace DAROdi {

void UpgradeShadowMeshes(ACSChunkRef& config, const Kiv::String& fileName) {
    const std::string fn(fileName.View());
    ACSChunkRef table;
    AddMeshEntry(table, "default", fn + ".pm", 1);
    AddMeshEntry(table, "shadow", fn + "_shadow/" + fn + "_shadow.pm", 0);
    config.SetNamedSoup("mesh-table", table);
}

void UpgradeBodyMeshes(ACSChunkRef& config, const Kiv::String& fileName) {
    const std::string fn(fileName.View());
    ACSChunkRef table;
    AddMeshEntry(table, "default", JoinPath(fn + "_body", fn + "_body.pm"), 1);
    AddMeshEntry(table, "shadow", JoinPath(fn + "_shadow", fn + "_shadow.pm"), 0);
    config.SetNamedSoup("mesh-table", table);
}

namespace {

// Moves the bogey KUID of that tag, when it holds one, into the next entry of bogeys.
bool TakeBogey(ACSChunkRef& config, const Kiv::PString& tag, int reversed, ACSChunkRef& bogeys,
               int& count) {
    const KUID kuid = config.GetNamedTagAsKUID(tag, KUID::Null());
    if (kuid.IsNull()) return false;
    ACSChunkRef entry;
    entry.SetNamedTagKUID("bogey", kuid);
    entry.SetNamedTagInt("reversed", reversed);
    bogeys.SetNamedSoup(Kiv::PString::Setf("%d", count++), entry);
    config.RemoveNamedTag(tag);
    return true;
}

} // namespace

void UpgradeBogeys(ACSChunkRef& config) {
    ACSChunkRef bogeys;
    bogeys.EnsureContainer();
    int count = 0;
    const bool plain = TakeBogey(config, "bogey", 0, bogeys, count);
    const bool reversed = TakeBogey(config, "bogey-r", 1, bogeys, count);
    for (int i = plain || reversed ? 1 : 0;; ++i) {
        const bool forward = TakeBogey(config, Kiv::PString::Setf("bogey-%d", i), 0, bogeys, count);
        const bool backward =
            TakeBogey(config, Kiv::PString::Setf("bogey-%d-r", i), 1, bogeys, count);
        if (!forward && !backward) break;
    }
    config.SetNamedSoup("bogeys", bogeys);
}

namespace {

void AddNamedMode(ACSChunkRef& config, ACSChunkRef& table, const char* tag, const char* autoCreate) {
    const std::string mode(config.GetNamedTag(tag).View());
    if (mode.empty()) return;
    ACSChunkRef entry;
    entry.SetNamedTagString("mesh", (mode + "/" + mode + ".im").c_str());
    entry.SetNamedTagString("auto-create", autoCreate);
    table.SetNamedSoup(Kiv::PString(mode).ToLower(), entry);
    config.RemoveNamedTag(tag);
}

} // namespace

void UpgradeNamedMeshes(ACSChunkRef& config) {
    ACSChunkRef table;
    table.EnsureContainer();
    config.SetNamedSoup("mesh-table", table);
    AddNamedMode(config, table, "mode0", "1");
    AddNamedMode(config, table, "mode1", "0");
}

namespace {

// Each child of the old attachment container, as a container, with "default" as the
// parent of an attachment point that names none.
void MoveAttachments(ACSChunkRef& config, ACSChunkRef& table) {
    const ACSChunkRef attachments = config.GetNamedSoup("attachment");
    if (attachments.IsNull()) return;
    Kiv::PString name;
    ACSChunkRef child;
    for (int32_t i = 0; attachments->GetIndexedChild(i, name, child); ++i) {
        ACSChunkRef entry = child->GetType() == ACSTagType::Container ? child : ACSChunkRef();
        if (entry.HasTag("att") && !entry.HasTag("att-parent"))
            entry.SetNamedTagString("att-parent", "default");
        table.SetNamedSoup(name, entry);
    }
    config.RemoveTag(attachments);
}

} // namespace

void UpgradeRestructure(ACSChunkRef& config) {
    ACSChunkRef table;
    table.EnsureContainer();
    MoveAttachments(config, table);
    if (config.HasTag("mesh")) {
        AddMeshEntry(table, "default", std::string(config.GetNamedTag("mesh").View()), 1);
        config.RemoveNamedTag("mesh");
    }
    config.SetNamedSoup("mesh-table", table);
}

} // namespace DAROdi
