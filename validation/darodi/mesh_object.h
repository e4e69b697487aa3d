// A mesh object that the mesh-file check loads for a container (an indexed or LOD mesh with
// its attachment points). The data manager owns each one until the asset's checks end; it
// asks them only for their attachment names, which a combobox or listbox value may name.
#pragma once

#include <vector>

#include "engine/pstring.h"

namespace DAROdi {

class MeshObject {
  public:
    virtual ~MeshObject() = default;
    virtual std::vector<Kiv::PString> GetAttachmentNames() const = 0;
};

} // namespace DAROdi
