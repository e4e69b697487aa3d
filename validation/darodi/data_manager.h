// DAROdi::DataManager: the validation library's process-wide store. It owns the template
// soups and value lists read from the installation's "VAVIrov/" folder (every file there
// is a value list, the templates included), the author's personal details, the location,
// folder and resource database of the asset being validated, the per-asset flags the
// checks share, the mesh objects the checks loaded, and the scene in which they load.
// The templates are merged once per process; a container or tag that is deleted is
// dropped from every list that names it. Used on the main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "content3d/materials/validation_scene.h"
#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"
#include "validation/darodi/mesh_object.h"

class KodrinResourceDatabase;

namespace DAROdi {

class Container;
class Tag;

struct PersonalDetails {
    Kiv::PString author;
    Kiv::PString license;
    Kiv::PString organisation;
    Kiv::PString email;
    Kiv::PString website;
    bool isInputBoxOn = true;
};

// One line of a value list: the text before its first blank, and the rest.
struct ValueListRecord {
    Kiv::PString key;
    Kiv::PString value;
};
using ValueList = std::vector<ValueListRecord>;

class DataManager {
public:
    // Makes the singleton with the template folder (a later call changes nothing); true.
    static bool CreateInstance(const char* templateFolder);
    // The singleton; the data files load on its first use. Ends the process (FatalError)
    // when none was made.
    static DataManager& Instance();
    static bool HasInstance();
    // The singleton without loading anything, or null.
    static DataManager* Existing();
    // Shuts the singleton down and deletes it; nothing when there is none.
    static void DestroyInstance();

    // Once per process the product's bump vertex type is registered on the scene's render
    // kernel, after the scene exists (content3d's RegisterKodrinBumpVertexType); Release
    // undoes it before the manager is destroyed. Each tolerates being called out of turn:
    // a second Register and a Release without Register do nothing.
    static void RegisterKodrinBumpVertexType();
    static void ReleaseKodrinBumpVertexType();
    static bool IsKodrinBumpVertexTypeRegistered();

    // Sets up the validation scene (content3d's ValidationScene, owned here) on the engine
    // objects of the start-up record; true.
    bool InitScene(const SceneStartupRecord& record);
    bool HasScene() const { return scene_.GetRenderKernel() != nullptr; }
    const ValidationScene& GetScene() const { return scene_; }
    const std::string& GetTemplateFolder() const { return templateFolder_; }

    virtual ~DataManager();

    // False when the template folder does not exist; else the personal details and the
    // value lists are read (the new-form template names too when the lists read whole).
    bool LoadDataFiles();
    // Every file of the folder as a value list under its bare name; an entry that is no
    // readable file is skipped with a log line.
    bool LoadValueLists();
    void LoadPersonalDetails();
    // Writes "personalDetails.txt" through a temporary file renamed into place.
    bool SavePersonalDetails() const;

    // Merges the top-level entries of "inheritance.txt", "kind.txt" and "container.txt",
    // once per process: a later entry of a name replaces an earlier one and moves to the
    // end. The entries are shared with the files' soups, not copied.
    void MergeTemplates();
    ACSChunkRef GetMergedTemplates() const { return mergedTemplates_; }

    // The asset being validated: releases the database held, stores and normalises the
    // location and folder, and opens the location's resource database.
    void SetAssetLocation(const Kiv::PString& location, const char* folderPath);
    void SetConfigFileName(const Kiv::PString& name) { configFileName_ = name; }
    Kiv::PString GetAssetLocation() const { return assetLocation_; }
    const Kiv::File::Path& GetAssetPath() const { return assetPath_; }
    const Kiv::PString& GetConfigFileName() const { return configFileName_; }
    KodrinResourceDatabase* GetResourceDatabase() const { return resourceDatabase_; }

    // Deletes every mesh object, then lets go of the resources and names nothing holds.
    void PurgeLoaded();
    void DumpUnusedResources();
    // Keeps the mesh object the mesh check loaded for container (replacing one kept).
    void AddContainerMesh(const Container* container, std::unique_ptr<MeshObject> mesh);
    MeshObject* GetCurrentMesh() const { return currentMesh_; }
    // The mesh object kept for container, or null.
    MeshObject* FindContainerMesh(const Container* container) const;
    void RemoveContainerMesh(const Container* container);
    // Empty the keyed-list-A entries "attached-track", "queues" and "mesh-table".
    void RemoveContainerItems();
    void RemoveQueueItems();
    void RemoveMeshTableItems();
    // Drops container from every entry of keyed list A.
    void ForgetContainer(const Container* container);
    // Drops tag from keyed list B and both attachment lists.
    void ForgetTag(const Tag* tag);

    virtual void OnRegisterHook(Container*) {}
    virtual void RegisterListItemB(const Kiv::PString& listName, Tag* item);
    virtual void RegisterListItemA(const Kiv::PString& listName, Container* item);
    virtual void OnListChanged() {}
    virtual void OnAttachmentsChanged() {}
    virtual void OnUniqueAttachmentsChanged() {}
    virtual void RegisterAttachmentTag(Tag* tag);
    virtual void RegisterUniqueAttachmentTag(Tag* tag);
    // Whether a container listed under key, or an attachment of a kept mesh, is named name.
    virtual bool IsFileListed(const Kiv::PString& fileName, const Kiv::PString& key) const;

    // Saves the personal details, purges, releases the database and empties every list.
    void Shutdown();

    const std::map<Kiv::PString, ValueList, decltype(&Kiv::PString::LessText)>& ValueLists()
        const {
        return valueLists_;
    }
    // The list of that file name, or null.
    const ValueList* FindValueList(const Kiv::PString& fileName) const;
    const std::vector<Kiv::PString>& NewFormTemplateNames() const { return newFormTemplates_; }
    const std::vector<Container*>& ListItemsA(const Kiv::PString& listName) const;
    const std::vector<Tag*>& AttachmentTags() const { return attachmentTags_; }
    const std::vector<Tag*>& UniqueAttachmentTags() const { return uniqueAttachmentTags_; }

    // Per-asset state the checks read and write.
    bool meshFailed = false;
    bool notEditingOrBase = false;
    float buildStamp = 3.3f;
    bool renamesFlag = false;
    bool aliasFlag = false;
    PersonalDetails personalDetails;

private:
    explicit DataManager(const char* templateFolder)
        : templateFolder_(templateFolder ? templateFolder : "") {}
    void LoadNewFormTemplates();
    void ReleaseResourceDatabase();
    std::string FolderFile(const char* name) const;

    std::string templateFolder_;
    ValidationScene scene_;
    bool loaded_ = false;
    bool templatesMerged_ = false;
    ACSChunkRef mergedTemplates_;
    Kiv::File::Path assetPath_;
    Kiv::PString configFileName_;
    Kiv::PString assetLocation_;
    KodrinResourceDatabase* resourceDatabase_ = nullptr;
    std::map<const Container*, std::unique_ptr<MeshObject>> meshes_;
    MeshObject* currentMesh_ = nullptr;
    std::unordered_map<Kiv::PString, std::vector<Container*>> listA_;
    std::unordered_map<Kiv::PString, std::vector<Tag*>> listB_;
    std::vector<Tag*> attachmentTags_;
    std::vector<Tag*> uniqueAttachmentTags_;
    std::map<Kiv::PString, ValueList, decltype(&Kiv::PString::LessText)> valueLists_{
        &Kiv::PString::LessText};
    std::vector<Kiv::PString> newFormTemplates_;
};

}  // namespace DAROdi
