// The daemon link's content database seam over the resource-database registry.
#include "content3d/content_database_seam.h"

#include "content3d/resource_database.h"

namespace {

class ContentDatabaseSeam final : public KAVContentDatabaseSeam {
  public:
    Kiv::ResourceDatabase* Open(const Kiv::PString& location, const char* basePath) override {
        return KodrinResourceDatabase::Open(location, basePath);
    }

    void Release(Kiv::ResourceDatabase* database) override {
        KodrinResourceDatabase::Release(static_cast<KodrinResourceDatabase*>(database));
    }
};

} // namespace

KAVContentDatabaseSeam& GetContentDatabaseSeam() {
    static ContentDatabaseSeam seam;
    return seam;
}
