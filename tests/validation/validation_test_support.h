// Shared set-ups of the validation tests: a temporary folder, and a temporary installation
// with its user-data locations, template folder, interface text, data manager and error
// handler, made as start-up makes them and taken down afterwards.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "content3d/content_database_seam.h"
#include "content3d/resource_database.h"
#include "content3d/resource_database_holder.h"
#include "foundation/text/interface_text.h"
#include "link/kav/kav_upward_seams.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/script_system_seam.h"
#include "validation/specs/spec_manager.h"

namespace validation_test {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/Validation-XXXXXX";
        if (mkdtemp(pattern.data())) {
            char resolved[PATH_MAX];
            root_ = realpath(pattern.c_str(), resolved) ? resolved : pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!root_.empty()) fs::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
    void Write(const std::string& relative, const std::string& bytes) const {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(Path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::string root_;
};

// The working folder moves to folder, whose "data" folder holds the interface text given,
// and back again at the end.
class ScopedInterfaceText {
  public:
    ScopedInterfaceText(const TempFolder& folder, const std::string& text) {
        folder.Write("data/interfacetext.txt", text);
        previousFolder_ = fs::current_path();
        fs::current_path(folder.Root());
        InterfaceTextDB::Invalidate();
    }
    ~ScopedInterfaceText() {
        fs::current_path(previousFolder_);
        InterfaceTextDB::Invalidate();
    }
    ScopedInterfaceText(const ScopedInterfaceText&) = delete;
    ScopedInterfaceText& operator=(const ScopedInterfaceText&) = delete;

  private:
    fs::path previousFolder_;
};

// The finding texts the driver tests read, in this test's own words.
inline const char* const kInterfaceText =
    "$tet_future_asset                       \"future build\"\n"
    "$tet_obsolete_water                     \"obsolete water\"\n"
    "$tet_obsolete_huebarn                   \"obsolete skin\"\n"
    "$kav_unable_read_config_at              \"no config in $(FILE_PATH)\"\n";

// The mesh checks' finding texts, in the tests' own words: the key's last word and its
// arguments.
inline const char* const kMeshTexts =
    "$tet_lm_performance_no_attachments      \"no_attachments %s\"\n"
    "$tet_lm_performance_single_lod          \"single_lod %s\"\n"
    "$tet_lm_performance_low_poly            \"low_poly %s\"\n"
    "$tet_dm_unsupportedformat               \"unsupportedformat\"\n"
    "$tet_dm_animationfailed                 \"animationfailed %s\"\n"
    "$tet_mesh_load_mesh                     \"load_mesh %s\"\n"
    "$tet_mesh_initialise_mesh               \"initialise_mesh %s\"\n"
    "$tet_mesh_successfulmesh                \"successfulmesh\"\n"
    "$tet_mesh_failedmaterial                \"failedmaterial %s %s\"\n"
    "$tet_mesh_load_texture                  \"load_texture %s %s %s\"\n"
    "$tet_mesh_animationfailedmesh           \"animationfailedmesh %s\"\n"
    "$tet_mesh_animationfailedskeleton       \"animationfailedskeleton %s\"\n"
    "$tet_mesh_animationfailedres            \"animationfailedres %s\"\n"
    "$tet_mesh_animationfailedobserver       \"animationfailedobserver %s\"\n"
    "$tet_mesh_successfulanimation           \"successfulanimation\"\n";

// A script-system set-up that counts its calls and gives the answer it is set to.
class FakeScriptSystem : public ValidationScriptSystemSeam {
  public:
    bool InitScriptSystem() override {
        ++calls;
        return answer;
    }
    bool answer = true;
    int calls = 0;
};

// A temporary installation, current while it lives: the working folder (where the
// interface text is read), the user-data locations with their resource databases, the
// template folder copied from the project's data (or from the given folder), the error
// handler, the data manager, the spec manager and a script-system set-up that succeeds.
class TestInstallation {
  public:
    explicit TestInstallation(const std::string& templates = std::string(KODRIN_SOURCE) +
                                                             "/data/VAVIrov",
                              const char* interfaceText = kInterfaceText)
        : text_(folder_, interfaceText) {
        fs::copy(templates, folder_.Path("VAVIrov"), fs::copy_options::recursive);
        KAVUpwardSeams::SetContentDatabases(&GetContentDatabaseSeam());
        KAVUserData::SetInstallPath(Kiv::File::Path(folder_.Root().c_str()));
        KAVUserData::CreateFolders();
        ResourceDatabaseHolder::SetInstallFolder(folder_.Root().c_str());
        DAROdi::ErrorHandler::CreateInstance();
        DAROdi::DataManager::CreateInstance((folder_.Root() + "/VAVIrov/").c_str());
        DAROdi::DataManager::Instance();
        specs_ = std::make_unique<SpecManager>();
        ValidationUpwardSeams::SetScriptSystem(&scriptSystem);
    }
    ~TestInstallation() {
        ValidationUpwardSeams::SetScriptSystem(nullptr);
        specs_.reset();
        DAROdi::DataManager::DestroyInstance();
        DAROdi::ErrorHandler::DestroyInstance();
        KAVUserData::ReleaseDatabases();
        KAVUserData::Clear();
        KodrinResourceDatabase::PurgeAll();
        ResourceDatabaseHolder::SetInstallFolder("");
        KAVUpwardSeams::SetContentDatabases(nullptr);
    }
    TestInstallation(const TestInstallation&) = delete;
    TestInstallation& operator=(const TestInstallation&) = delete;

    const TempFolder& Folder() const { return folder_; }
    // The script-system set-up installed for the validation library; it succeeds unless told
    // otherwise.
    FakeScriptSystem scriptSystem;
    std::string Root() const { return folder_.Root(); }
    // Writes an asset's config.txt in UserData/local/<asset>.
    void WriteLocalConfig(const std::string& asset, const std::string& text,
                          const char* name = "config.txt") const {
        folder_.Write("UserData/local/" + asset + "/" + name, text);
    }
    std::string LocalFolder(const std::string& asset) const {
        return folder_.Path("UserData/local/" + asset);
    }

  private:
    TempFolder folder_;
    ScopedInterfaceText text_;
    std::unique_ptr<SpecManager> specs_;
};

} // namespace validation_test
