// The mesh-table builders of the old-config upgrade that look into the asset's meshes:
// crossings and turntables with their attached tracks, scenery with its name effects
// (old_config_mesh_tables.h).
#include <algorithm>
#include <string>

#include "foundation/soup/chunk.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/old_config_mesh_tables.h"
#include "validation/darodi/old_config_soup.h"

namespace DAROdi {
namespace {

// The mesh file of a mode folder: "<mode>/<mode>.im", or the word of the tag when the mode
// is empty.
std::string ModeMeshPath(const std::string& mode, const char* tag) {
    return JoinPath(mode, (mode.empty() ? std::string(tag) : mode) + ".im");
}

struct TrackPass {
    const char* nameFormat;  // the attachment points, with the pass word and k
    const char* entryFormat; // the entry, with the pass word and k + 1
    int adjoining;
};

// The attached-track entries of one pass: an entry for every pair of points in a row.
void AddTrackPass(const CheckedMesh& mesh, const TrackPass& pass, const char* word,
                  const KUID& track, ACSChunkRef& attached) {
    for (int k = 0;; ++k) {
        const Kiv::PString first = Kiv::PString::Setf(pass.nameFormat, word, k, 'a');
        const Kiv::PString second = Kiv::PString::Setf(pass.nameFormat, word, k, 'b');
        if (!mesh.HasParticle(first) || !mesh.HasParticle(second)) return;
        ACSChunkRef vertices;
        vertices.SetNamedTagString("0", first.c_str());
        vertices.SetNamedTagString("1", second.c_str());
        ACSChunkRef entry;
        entry.SetNamedTagKUID("track", track);
        entry.SetNamedSoup("vertices", vertices);
        entry.SetNamedTagInt("useadjoiningtracktype", pass.adjoining);
        attached.SetNamedSoup(Kiv::PString::Setf(pass.entryFormat, word, k + 1), entry);
    }
}

// The name effects "0" ... "count-1" of a scenery mesh, on its attachment points
// "a.name0", ...; the old font colour and size go with each.
void AddNameEffects(const ACSChunkRef& config, ACSChunkRef& mesh, int count) {
    const Kiv::String colour = config.GetNamedTag("fontcolor");
    const Kiv::String size = config.GetNamedTag("fontsize");
    ACSChunkRef effects;
    for (int i = 0; i < count; ++i) {
        ACSChunkRef effect;
        effect.SetNamedTagString("kind", "name");
        effect.SetNamedTagString("att", Kiv::PString::Setf("a.name%d", i).c_str());
        if (!colour.IsEmpty()) effect.SetNamedTagString("fontcolor", colour.c_str());
        if (!size.IsEmpty()) effect.SetNamedTagString("fontsize", size.c_str());
        effect.SetNamedTagString("name", "name");
        effects.SetNamedSoup(Kiv::PString::Setf("%d", i), effect);
    }
    mesh.SetNamedSoup("effects", effects);
}

} // namespace

void UpgradeTrackMeshes(ACSChunkRef& config) {
    const std::string mode(config.GetNamedTag("mode0").View());
    const std::string meshPath = ModeMeshPath(mode, "mode0");
    const std::string animPath = JoinPath(mode, "anim.kin");
    ACSChunkRef entry;
    entry.SetNamedTagString("mesh", meshPath.c_str());
    entry.SetNamedTagString("anim", animPath.c_str());
    entry.SetNamedTagInt("auto-create", 1);
    ACSChunkRef table;
    table.SetNamedSoup("default", entry);
    config.SetNamedSoup("mesh-table", table);
    std::unique_ptr<CheckedMesh> mesh = LoadMeshForInspection(meshPath);
    if (mesh)
        mesh->LoadAnimation(Kiv::PString(
            JoinPath(std::string(DataManager::Instance().GetAssetPath().View()), animPath)));
    config.RemoveNamedTag("mode0");
    config.RemoveNamedTag("mode1");
    if (config.HasTag("attached-track") || !mesh) return;
    const KUID track = config.GetNamedTagAsKUID("track", KUID::Null());
    const KUID road = config.GetNamedTagAsKUID("road", KUID::Null());
    const TrackPass pass{"a.%s%d%c", "%s%d", 1};
    ACSChunkRef attached;
    attached.EnsureContainer();
    AddTrackPass(*mesh, pass, "road", road, attached);
    AddTrackPass(*mesh, pass, "track", track, attached);
    config.SetNamedSoup("attached-track", attached);
}

void UpgradeTrackAttachments(ACSChunkRef& config) {
    const std::string defaultPath =
        ModeMeshPath(std::string(config.GetNamedTag("mode0").View()), "mode0");
    const std::string turntablePath =
        ModeMeshPath(std::string(config.GetNamedTag("mode1").View()), "mode1");
    ACSChunkRef table;
    AddMeshEntry(table, "default", defaultPath, 1);
    ACSChunkRef turntable;
    turntable.SetNamedTagString("mesh", turntablePath.c_str());
    table.SetNamedSoup("turntable", turntable);
    config.SetNamedSoup("mesh-table", table);
    std::unique_ptr<CheckedMesh> outer = LoadMeshForInspection(defaultPath);
    std::unique_ptr<CheckedMesh> inner = LoadMeshForInspection(turntablePath);
    config.RemoveNamedTag("mode0");
    config.RemoveNamedTag("mode1");
    if (config.HasTag("attached-track") || !outer || !inner) return;
    const KUID track = config.GetNamedTagAsKUID("track", KUID::Null());
    const TrackPass pass{"a.%strack%d%c", "track%s%d", 0};
    ACSChunkRef attached;
    attached.EnsureContainer();
    AddTrackPass(*outer, pass, "o", track, attached);
    AddTrackPass(*inner, pass, "i", track, attached);
    config.SetNamedSoup("attached-track", attached);
    config.RemoveNamedTag("track");
}

int UpgradeAttachmentNames(const Kiv::String& meshPath) {
    std::unique_ptr<CheckedMesh> mesh = std::make_unique<CheckedMesh>(false);
    if (!mesh->Load(meshPath.ToPString(), nullptr)) return 0;
    const std::vector<Kiv::PString> names = mesh->GetAttachmentNames();
    int count = 0;
    while (std::find(names.begin(), names.end(), Kiv::PString::Setf("a.name%d", count)) !=
           names.end())
        ++count;
    return count;
}

void UpgradeAttachments(ACSChunkRef& config, const Kiv::String& fileName) {
    const std::string fn(fileName.View());
    ACSChunkRef mesh;
    mesh.SetNamedTagInt("auto-create", 1);
    mesh.SetNamedTagString("mesh", (fn + ".im").c_str());
    if (config.GetNamedTagAsInt("auto-animation", 0) != 0) {
        mesh.SetNamedTagString("anim", "anim.kin");
        mesh.SetNamedTagFloat("animation-loop-speed", 1.0f);
    }
    config.RemoveNamedTag("auto-animation");
    const std::string assetPath(DataManager::Instance().GetAssetPath().View());
    const int names = UpgradeAttachmentNames(Kiv::String(JoinPath(assetPath, fn + ".im")));
    if (names > 0) AddNameEffects(config, mesh, names);
    ACSChunkRef table;
    table.SetNamedSoup("default", mesh);
    if (config.HasTag("night")) {
        const std::string night(config.GetNamedTag("night").View());
        config.RemoveNamedTag("night");
        ACSChunkRef entry;
        entry.SetNamedTagString("mesh", (night + "/" + night + ".im").c_str());
        entry.SetNamedTagString("night-mesh-base", "default");
        table.SetNamedSoup("night", entry);
    }
    config.SetNamedSoup("mesh-table", table);
}

} // namespace DAROdi
