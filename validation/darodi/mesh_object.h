// A mesh object that the mesh-file check loads for a container (an indexed or LOD mesh with
// its attachment points). The data manager owns each one until the asset's checks end; it
// asks them for their attachment names, which a combobox or listbox value may name, and
// for the path of their mesh file, which findings about them show.
#pragma once

#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"

namespace DAROdi {

class MeshObject {
  public:
    virtual ~MeshObject() = default;
    virtual std::vector<Kiv::PString> GetAttachmentNames() const = 0;
    // The mesh file's path as the check named it (relative to the location).
    virtual Kiv::File::Path GetFilePath() const = 0;
};

} // namespace DAROdi
