// Loading ".pm" files: the ".im" reading without the display's skinning, then PMIN.
#include "content3d/mesh/progressive_mesh_definition.h"

#include "content3d/mesh/geometry_base_resource.h"
#include "content3d/mesh/mesh_chunk_header.h"
#include "content3d/mesh/mesh_paths.h"
#include "engine/file.h"
#include "engine/resource_database.h"

namespace Kiv {

namespace {

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    File file;
    if (!file.Open(path, File::kOpenRead)) return false;
    const int64_t size = file.Size();
    if (size < 0 || size > int64_t{1} << 31) return false;
    bytes.resize(static_cast<size_t>(size));
    return file.Read(bytes.data(), 1, bytes.size()) == bytes.size();
}

}  // namespace

int KodrinProgressiveMeshDefinition::OpenProgressiveFile(KodrinGeometryBaseResource* resource,
                                                         const char* name) {
    ResourceDatabase* database = resource ? resource->GetDatabase() : nullptr;
    std::vector<uint8_t> bytes;
    const bool read = database ? database->ReadFile(name, bytes) : ReadWholeFile(name, bytes);
    fileName_ = database ? PString(database->GetFileName(name).c_str()) : PString(name);
    if (!read) return RES_FILE_OPEN_ERROR;
    file_.Open(std::move(bytes));
    return RES_OK;
}

int KodrinProgressiveMeshDefinition::LoadBinary(Display* display, MaterialManager* manager,
                                                KodrinGeometryBaseResource* resource, const char* name,
                                                uint32_t defaultColour) {
    if (!manager) return RES_NO_MATERIAL_MANAGER;
    if (OpenProgressiveFile(resource, name) != RES_OK || !file_.HasData()) return RES_FILE_OPEN_ERROR;
    uint32_t end = 0;
    int result = ReadHeader(end);
    if (result == RES_OK) result = ReadChunks(display, manager, resource, defaultColour);
    if (result != RES_OK) return result;
    if (file_.Position() < end) ReadInfluences();
    if (file_.Position() < end) ReadAttachments();
    if (file_.Position() < end) ReadProgressiveInfo();
    CountTotals();
    faceCountAtLoad_ = faceTotal_;
    if (file_.Failed() || file_.Position() != end || !TablesAreSound()) return RES_FILE_FORMAT_ERROR;
    BuildSkeletonFromInfluences();
    BuildInfluenceStreams();
    fileName_ = PString(FileNameOf(fileName_.View()));
    ComputeBounds();
    ComputeOrientedBox();
    file_.Close();
    return RES_OK;
}

int KodrinProgressiveMeshDefinition::ReadProgressiveInfo() {
    MeshChunkHeader header;
    if (!header.Read(file_, "PMIN")) return RES_FILE_FORMAT_ERROR;
    if (header.version != 101) return RES_FILE_VERSION_ERROR;
    const uint32_t p = file_.U32(), c = file_.U32(), k = file_.U32(), s = file_.U32();
    const uint64_t bytes = 4 * uint64_t{p} + 16 * uint64_t{c} + 8 * uint64_t{k} + 4 * uint64_t{s};
    if (file_.Failed() || bytes > file_.Remaining()) return RES_FILE_FORMAT_ERROR;
    std::vector<int32_t> positions(p);
    for (int32_t& position : positions) position = file_.I32();
    std::vector<ProgressiveChange> changes(c);
    for (ProgressiveChange& change : changes) {
        change.verticesAdded = file_.U32();
        change.facesAdded = file_.U32();
        change.indexDelta = static_cast<int16_t>(file_.U32() & 0xFFFF);
        change.positionCount = file_.U32();
    }
    std::vector<ProgressiveChunkStep> chunkSteps(k);
    for (ProgressiveChunkStep& chunkStep : chunkSteps) {
        chunkStep.chunk = file_.U32();
        chunkStep.changeCount = file_.U32();
    }
    std::vector<ProgressiveStep> steps(s);
    for (ProgressiveStep& step : steps) step.chunkStepCount = file_.U32();
    uint64_t sum = 0;
    for (ProgressiveStep& step : steps) {
        step.firstChunkStep = static_cast<uint32_t>(sum);
        sum += step.chunkStepCount;
    }
    sum = 0;
    for (ProgressiveChunkStep& chunkStep : chunkSteps) {
        chunkStep.firstChange = static_cast<uint32_t>(sum);
        sum += chunkStep.changeCount;
    }
    sum = 0;
    for (ProgressiveChange& change : changes) {
        change.firstPosition = static_cast<uint32_t>(sum);
        sum += change.positionCount;
    }
    positions_ = std::move(positions);
    changes_ = std::move(changes);
    chunkSteps_ = std::move(chunkSteps);
    steps_ = std::move(steps);
    return CheckRead();
}

bool KodrinProgressiveMeshDefinition::TablesAreSound() const {
    uint64_t chunkStepSum = 0, changeSum = 0, positionSum = 0;
    for (const ProgressiveStep& step : steps_) chunkStepSum += step.chunkStepCount;
    for (const ProgressiveChunkStep& chunkStep : chunkSteps_) changeSum += chunkStep.changeCount;
    for (const ProgressiveChange& change : changes_) positionSum += change.positionCount;
    if (chunkStepSum != chunkSteps_.size() || changeSum != changes_.size() || positionSum != positions_.size()) {
        return false;
    }
    for (const ProgressiveChunkStep& chunkStep : chunkSteps_) {
        if (chunkStep.chunk >= chunkCount_) return false;
        const int64_t indexCount = GetChunkIndexCount(chunkStep.chunk);
        for (uint32_t c = 0; c < chunkStep.changeCount; ++c) {
            const ProgressiveChange& change = changes_[chunkStep.firstChange + c];
            for (uint32_t i = 0; i < change.positionCount; ++i) {
                const int32_t position = positions_[change.firstPosition + i];
                if (position < 0 || position >= indexCount) return false;
            }
        }
    }
    return true;
}

}  // namespace Kiv
