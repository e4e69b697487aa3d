// The one folder move of the daemon: commits, installs and deletions into the trash all
// go through MoveFolder. A rename is tried first; when it cannot cross file systems
// (EXDEV), the folder is copied beside the target under a temporary name, every file and
// folder flushed to disk, the copy renamed into place, and only then is the source
// removed, so a failure at any step leaves the source whole and no part of a copy behind.
// The rename step can be replaced in tests, to make a crossing happen on one file system.
#pragma once

#include <filesystem>
#include <string>

// Moves the folder source to target, which must not exist. False with the cause (a
// file-system error text) in error; the source is then as it was.
bool MoveFolder(const std::filesystem::path& source, const std::filesystem::path& target,
                std::string& error);

// Replaces target (when it exists) by source. The old target is set aside first and put
// back when the move fails, so a failure loses neither folder.
bool ReplaceFolder(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::string& error);

// Copies source into the new folder target, flushing every file; on failure nothing of
// target is left. False with the cause in error.
bool CopyFolderDurably(const std::filesystem::path& source, const std::filesystem::path& target,
                       std::string& error);

// The rename the moves use: 0 or -1 with errno, as rename(2). Tests set one that fails.
using FolderRenameFunction = int (*)(const char* from, const char* to);
void SetFolderRenameForTesting(FolderRenameFunction rename);
