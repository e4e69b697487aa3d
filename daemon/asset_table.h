// AssetTable: the stand-in daemon's asset database. Asset folders live under the
// installation's "UserData" in "local" (installed), "editing" (copies open for edit) and
// "trash" (deleted); the records, settings sections, authors and the URL map are kept in
// the table file "UserData/kavtable.txt" (config.txt syntax), written after every change.
// Every operation takes the table's lock: clients are served on threads of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

// Flag bits of an asset record as the client reads them.
enum AssetFlag : uint8_t {
    kFlagLocallyModified = 0x04,     // first byte
    kFlagInstalled = 0x08,           // first byte
    kFlagBuiltIn = 0x10,             // first byte
    kFlagFromService = 0x20,         // first byte
    kFlagOnService = 0x40,           // first byte
    kFlagArchived = 0x80,            // first byte
    kFlagOpenForEdit = 0x01,         // second byte
    kFlagFaulty = 0x02,              // second byte
    kFlagMissingDependencies = 0x08, // second byte
};

struct AssetRecord {
    KUID kuid;
    std::string location; // "local", or empty for an asset that only exists in editing
    std::string folder;   // the folder's name under its location (and under "editing")
    bool editing = false; // an edit copy exists under "editing"
    std::string name;
    std::string category; // the category text the status command prints
    std::string region;
    std::string era;
    std::string keywords;
    std::string description;
    int32_t author = 0;
    float build = 0.0f;
    uint8_t flags[4] = {0x01, 0, 0, 0};
    std::vector<KUID> dependencies;
    std::vector<KUID> obsoletes;
    KUID parent;
    int32_t rating = 255;
    std::map<std::string, ACSChunkRef> localData; // request 121/122 soups by lower-case key
};

// The causes of a refused asset change, as the log notes of the requests show them.
inline constexpr const char* kUnknownAssetText = "Unknown AssetID.";
inline constexpr const char* kNotOpenForEditText = "The asset is not open for editing.";

struct AssetAuthor {
    int32_t account = -1;
    std::string name;
};

struct UrlEntry {
    std::string file; // the local file the fetch answers with
    int32_t status = 0;
    std::string text;
};

class AssetTable {
  public:
    // The installation folder (the parent of "UserData"); Open makes the three folders and
    // reads the table file when it exists.
    explicit AssetTable(std::filesystem::path installation);
    bool Open(std::string& error);

    std::filesystem::path UserData() const { return installation_ / "UserData"; }
    // The folder of the asset: its edit copy when wanted and present, else its location.
    std::filesystem::path FolderOf(const AssetRecord& record, bool editCopy) const;

    // Seeding (scripted mode): reads the folder's "config.txt" into a record under location
    // ("local"; empty: an edit-only asset whose folder is under "editing").
    bool AddFromFolder(const std::filesystem::path& folder, const std::string& location,
                       std::string& error);
    void SetLocalUser(int32_t userId, int32_t nextContent);
    void SetAuthor(int32_t id, AssetAuthor author);
    void SetUrl(const std::string& url, UrlEntry entry);
    void SetBuildList(const std::string& text);

    std::optional<AssetRecord> Find(const KUID& kuid);
    std::vector<AssetRecord> All();
    KUID Latest(const KUID& kuid);
    ACSChunkRef Config(const KUID& kuid);
    std::optional<AssetAuthor> Author(int32_t id);
    // The name request 90 gives an author: the known author's, the registered account's for
    // the local user, else a name made from the id, so no author of an asset goes unnamed.
    AssetAuthor AuthorOrStandIn(int32_t id);
    std::optional<UrlEntry> Url(const std::string& url);
    std::string BuildList();

    // Asset changes; false (nothing changed) when the asset is unknown or the step does not
    // apply, with the cause in why when given (kUnknownAssetText, kNotOpenForEditText, or a
    // file-system error). OpenForEdit copies the folder into "editing"; Commit moves the
    // copy back into "local"; Revert deletes the copy; Delete moves the asset's folder into
    // "trash" (under a name no earlier deletion holds), moves its edit copy there too
    // (keptEdits: where the edits went, when there were any) and forgets the asset, so the
    // database no longer knows it.
    bool OpenForEdit(const KUID& kuid, std::string* why = nullptr);
    bool Commit(const KUID& kuid, std::string* why = nullptr);
    bool Revert(const KUID& kuid, std::string* why = nullptr);
    bool Delete(const KUID& kuid, std::string* why = nullptr,
                std::filesystem::path* keptEdits = nullptr);
    // Start-up repair after a kill: a local folder a commit had set aside ("<folder>.replaced")
    // goes back where its record expects it, and every other folder in "local" that no
    // record names (a half-finished install or commit) moves to the trash, so a later
    // install does not take a new name beside it. Answers one text per folder moved.
    std::vector<std::string> RecoverLocalFolders();
    // An edit-only record; a null KUID takes the next content id of the local user (one is
    // chosen at first need when none was seeded: see LocalUserLocked). Answers the asset's
    // KUID, or null (the cause in why) when it exists already or cannot be written.
    KUID Create(const KUID& kuid, const std::string& name, std::string* why = nullptr);
    KUID GenerateKUID();
    bool SetKeywords(const KUID& kuid, const std::string& keywords);
    bool SetRating(const KUID& kuid, int32_t rating);
    ACSChunkRef LocalData(const KUID& kuid, const std::string& key);
    bool SetLocalData(const KUID& kuid, const std::string& key, const ACSChunkRef& soup);

    ACSChunkRef Settings(const std::string& section);
    void SetSettings(const std::string& section, const ACSChunkRef& soup);

  private:
    AssetRecord* FindLocked(const KUID& kuid);
    KUID NextKUIDLocked();
    int32_t LocalUserLocked();
    // The online user name that registeraccount stored; empty when none.
    std::string AccountNameLocked() const;
    void SaveLocked();
    bool LoadLocked(std::string& error);

    std::filesystem::path installation_;
    std::mutex lock_;
    std::vector<AssetRecord> records_;
    std::map<std::string, ACSChunkRef> settings_;
    std::map<int32_t, AssetAuthor> authors_;
    std::map<std::string, UrlEntry> urls_;
    std::string buildList_;
    int32_t localUser_ = -1;
    int32_t nextContent_ = 1;
};

// Reads the asset fields of a config soup into record (KUID, names, categories, keywords,
// author, build, description, dependency and obsolete tables).
void ReadAssetConfig(const ACSChunkRef& config, AssetRecord& record);
