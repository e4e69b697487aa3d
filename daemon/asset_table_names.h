// The names the asset table gives its folders and files, and the small steps its changes
// share: folder names made from a KUID, a free name in the trash, and the sentence that
// reports a table file that could not be saved.
#pragma once

#include <filesystem>
#include <string>

#include "foundation/kuid/kuid.h"

inline constexpr const char* kLocal = "local";
inline constexpr const char* kEditing = "editing";
inline constexpr const char* kTrash = "trash";
inline constexpr const char* kTableFileName = "kavtable.txt";
inline constexpr const char* kTableJournalName = "kavtable.changes";

// The folder name of a new asset: its KUID's numbers ("kuid_12_1_0").
std::string AssetFolderName(const KUID& kuid);

// Moves folder into a free name of the trash made from name ("name", else "name.2" and on,
// so no deletion replaces what an earlier one kept); kept: where it went. False with the
// cause in error.
bool MoveToTrash(const std::filesystem::path& folder, const std::filesystem::path& trash,
                 const std::string& name, std::filesystem::path& kept, std::string& error);

// "Cannot save the asset table: <cause>."
std::string TableFailure(const std::string& cause);
