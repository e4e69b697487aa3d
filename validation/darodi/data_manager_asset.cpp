// The asset being validated (location, folder and the location's resource database) and
// the personal details kept in the template folder.
#include <filesystem>
#include <string>

#include "content3d/resource_database.h"
#include "content3d/resource_database_holder.h"
#include "engine/file.h"
#include "foundation/console/log_message.h"
#include "foundation/files/atomic_file.h"
#include "foundation/soup/acs_text.h"
#include "foundation/streams/buffer_stream.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/data_manager.h"

namespace DAROdi {

namespace {

constexpr const char* kPersonalDetailsFile = "personalDetails.txt";

// Columns: the key in the file, the field of the details.
struct DetailKey {
    const char* key;
    Kiv::PString PersonalDetails::*field;
};

constexpr DetailKey kDetailKeys[] = {
    {"author", &PersonalDetails::author},
    {"organisation", &PersonalDetails::organisation},
    {"email", &PersonalDetails::email},
    {"website", &PersonalDetails::website},
    {"license", &PersonalDetails::license},
};

constexpr const char* kInputBoxKey = "isinputboxon";

}  // namespace

void DataManager::SetAssetLocation(const Kiv::PString& location, const char* folderPath) {
    ReleaseResourceDatabase();
    assetLocation_ = location;
    assetPath_ = Kiv::File::Path(folderPath);
    KAVUserData::SplitAssetPath(assetLocation_, assetPath_);
    if (assetLocation_.IsEmpty()) return;
    const std::string base = ResourceDatabaseHolder::GetInstallFolder();
    resourceDatabase_ = KodrinResourceDatabase::Open(assetLocation_, base.c_str());
}

void DataManager::ReleaseResourceDatabase() {
    KodrinResourceDatabase::Release(resourceDatabase_);
    resourceDatabase_ = nullptr;
}

void DataManager::LoadPersonalDetails() {
    const std::string path = FolderFile(kPersonalDetailsFile);
    if (!Kiv::File::Exists(path.c_str())) return;
    ACSChunkRef soup;
    if (!soup.LoadFromFile(templateFolder_.c_str(), kPersonalDetailsFile, "txt", false)) return;
    for (const DetailKey& detail : kDetailKeys)
        personalDetails.*detail.field = soup.GetNamedTag(Kiv::PString(detail.key)).ToPString();
    personalDetails.isInputBoxOn = soup.GetNamedTagAsInt(Kiv::PString(kInputBoxKey), 0) != 0;
}

bool DataManager::SavePersonalDetails() const {
    if (templateFolder_.empty() || !Kiv::File::Exists(templateFolder_.c_str())) return false;
    ACSChunkRef soup;
    for (const DetailKey& detail : kDetailKeys)
        soup.SetNamedTagString(Kiv::PString(detail.key), (personalDetails.*detail.field).c_str());
    soup.SetNamedTagInt(Kiv::PString(kInputBoxKey), personalDetails.isInputBoxOn ? 1 : 0);
    BufferStream text;
    ACSText::Write(soup, text.Stream());
    const auto* bytes = reinterpret_cast<const char*>(text.Buffer().GetData());
    const std::string_view written(bytes, static_cast<size_t>(text.Stream().Tell()));
    std::string error;
    if (!WriteFileAtomically(FolderFile(kPersonalDetailsFile), written, error)) {
        LogMessage("DataManager::SavePersonalDetails> %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace DAROdi
