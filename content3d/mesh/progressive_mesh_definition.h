// KodrinProgressiveMeshDefinition: an indexed mesh read from a ".pm" file, which is an
// ".im" file with one more chunk (PMIN) listing detail steps: each step holds chunk steps,
// each chunk step the changes to one chunk, each change the index positions it moves.
// The tables nest by order and are linked by running sums at load; they are checked to
// add up and to point inside the chunks, so applying a step never leaves the arrays.
// Progressive meshes never use hardware skinning.
#pragma once

#include <vector>

#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

struct ProgressiveChange {
    uint32_t verticesAdded = 0;
    uint32_t facesAdded = 0;
    int16_t indexDelta = 0;  // the low 16 bits of the file's value
    uint32_t positionCount = 0;
    uint32_t firstPosition = 0;
};

struct ProgressiveChunkStep {
    uint32_t chunk = 0;
    uint32_t changeCount = 0;
    uint32_t firstChange = 0;
};

struct ProgressiveStep {
    uint32_t chunkStepCount = 0;
    uint32_t firstChunkStep = 0;
};

class KodrinProgressiveMeshDefinition : public KodrinIndexedMeshDefinition {
public:
    using KodrinIndexedMeshDefinition::KodrinIndexedMeshDefinition;

    // Opens the file itself (the resource's database resolves name; without one name is
    // the path), then reads it as an ".im" with the optional PMIN at the end.
    int LoadBinary(Display* display, MaterialManager* manager, KodrinGeometryBaseResource* resource,
                   const char* name, uint32_t defaultColour) override;

    const std::vector<int32_t>& GetPositions() const { return positions_; }
    const std::vector<ProgressiveChange>& GetChanges() const { return changes_; }
    const std::vector<ProgressiveChunkStep>& GetChunkSteps() const { return chunkSteps_; }
    const std::vector<ProgressiveStep>& GetSteps() const { return steps_; }
    uint32_t GetFaceCountAtLoad() const { return faceCountAtLoad_; }

protected:
    int ReadProgressiveInfo();

private:
    int OpenProgressiveFile(KodrinGeometryBaseResource* resource, const char* name);
    // Whether the tables add up and every chunk index and position lies inside the chunks.
    bool TablesAreSound() const;

    std::vector<int32_t> positions_;
    std::vector<ProgressiveChange> changes_;
    std::vector<ProgressiveChunkStep> chunkSteps_;
    std::vector<ProgressiveStep> steps_;
    uint32_t faceCountAtLoad_ = 0;
};

}  // namespace Kiv
