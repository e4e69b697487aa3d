// AssetTable: the stand-in daemon's asset database. Asset folders live under the
// installation's "UserData" in "local" (installed), "editing" (copies open for edit) and
// "trash" (deleted); the records, settings sections, authors and the URL map are kept in
// the table file "UserData/kavtable.txt" (config.txt syntax). A change of one record is
// appended to the table's journal (table_journal.h), and the file is written whole, always
// through a new file renamed into place, when the journal outgrows it or other values change;
// so a change costs the size of the record and a bulk install stays linear. A change that
// cannot be saved is undone, folders and records alike, and refused with the cause.
// Every operation takes the table's lock: clients are served on threads of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/kuid/kuid.h"
#include "daemon/folder_undo.h"
#include "daemon/table_journal.h"
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

    // Reads the folder's "config.txt" into a record under location ("local"; empty: an
    // edit-only asset whose folder is under "editing"); false with the cause in error when
    // it cannot be read, the asset is known already or the table cannot be saved.
    bool AddFromFolder(const std::filesystem::path& folder, const std::string& location,
                       std::string& error);
    // An install: the folder in "local" becomes the asset its config names. An installed
    // asset of that KUID is replaced in the same step (its folders go to the trash as
    // Delete moves them, keptEdits telling where its edits went); when the table cannot be
    // saved, the earlier asset is put back as it was. False with the cause, a sentence, in
    // error.
    bool Install(const std::filesystem::path& folder, std::filesystem::path* keptEdits,
                 std::string& error);
    // Whether a record names the folder (under "local" or "editing").
    bool HasFolder(const std::string& folder);
    // The values seeding and the settings requests set; false with the cause in error
    // (when given) when the table cannot be saved, the value then as it was.
    bool SetLocalUser(int32_t userId, int32_t nextContent, std::string* error = nullptr);
    bool SetAuthor(int32_t id, AssetAuthor author, std::string* error = nullptr);
    bool SetUrl(const std::string& url, UrlEntry entry, std::string* error = nullptr);
    bool SetBuildList(const std::string& text, std::string* error = nullptr);

    std::optional<AssetRecord> Find(const KUID& kuid);
    std::vector<AssetRecord> All();
    KUID Latest(const KUID& kuid);
    // The asset's "config.txt": from its edit copy when editCopy and it has one, else from
    // its location.
    ACSChunkRef Config(const KUID& kuid, bool editCopy = false);
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
    // A new KUID of the local user; null (the cause in why) when it cannot be saved.
    KUID GenerateKUID(std::string* why = nullptr);
    bool SetKeywords(const KUID& kuid, const std::string& keywords, std::string* why = nullptr);
    bool SetRating(const KUID& kuid, int32_t rating, std::string* why = nullptr);
    ACSChunkRef LocalData(const KUID& kuid, const std::string& key);
    bool SetLocalData(const KUID& kuid, const std::string& key, const ACSChunkRef& soup,
                      std::string* why = nullptr);

    ACSChunkRef Settings(const std::string& section);
    bool SetSettings(const std::string& section, const ACSChunkRef& soup,
                     std::string* error = nullptr);

  private:
    using Records = std::list<AssetRecord>;
    // A record taken out of the table, with its place, so a failed change can put it back.
    struct Parked {
        Records record;
        Records::iterator next;
    };
    // The values besides the records that new KUIDs change.
    struct KUIDState {
        int32_t localUser = -1;
        int32_t nextContent = 1;
        std::optional<ACSChunkRef> own; // the daemon's settings section
    };

    AssetRecord* FindLocked(const KUID& kuid);
    void InsertLocked(AssetRecord record);
    void ParkLocked(const KUID& kuid, Parked& parked);
    void PutBackLocked(Parked& parked);
    KUIDState KUIDStateLocked() const;
    void RestoreLocked(const KUIDState& state);
    // Moves the record's folders into the trash as Delete does, each move kept in undo;
    // keptEdits: where its edits went, when there were any.
    bool TrashFoldersLocked(const AssetRecord& record, FolderUndo& undo,
                            std::filesystem::path& keptEdits, std::string& error);
    // Changes the record through change and saves it; when the save fails the record is
    // as it was and why holds the cause.
    template <class Change> bool ChangeRecordLocked(const KUID& kuid, Change change,
                                                    std::string* why);
    bool AddLocked(AssetRecord record, std::filesystem::path* keptEdits, std::string& error);
    KUID NextKUIDLocked();
    int32_t LocalUserLocked();
    // The online user name that registeraccount stored; empty when none.
    std::string AccountNameLocked() const;

    // Saving (asset_table_file.cpp); each false with the cause in error. A record's new
    // state, or that it is gone, goes to the journal; the whole table to the table file.
    bool SaveRecordLocked(const AssetRecord& record, std::string& error);
    bool SaveForgottenLocked(const KUID& kuid, std::string& error);
    bool SaveAllLocked(std::string& error);
    // Writes the table file whole once the journal has grown past it.
    void CompactLocked();
    bool LoadLocked(std::string& error);
    void ReadTableLocked(const ACSChunkRef& table);
    void ApplyChangeLocked(const ACSChunkRef& change);

    std::filesystem::path installation_;
    std::mutex lock_;
    Records records_;
    std::map<KUID, Records::iterator> byKuid_;
    std::map<std::string, int> folders_; // how many records name each folder
    TableJournal journal_;
    uint64_t generation_ = 0;    // of the table file; journal entries of others are stale
    uint64_t tableFileBytes_ = 0; // as last written
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
