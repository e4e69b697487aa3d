// File operations relative to a base folder, shared by the soup, asset and user-data code.
// The base is a folder or a location name and may be empty; with a base the path is added
// to it, without one the path must be absolute (it begins with a separator: "/" or "\").
// Paths then go to the engine's file layer, which resolves them (engine/path_policy.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/file_path.h"
#include "engine/pstring.h"

bool IsAbsolutePath(const Kiv::File::Path& path);

// Makes the folder with its parents; false without a base for a relative path.
bool MakeDirectoryUnder(const Kiv::PString& base, const Kiv::File::Path& path);
// Renames; without a base both paths must be absolute.
bool RenameFileUnder(const Kiv::PString& base, const Kiv::File::Path& from,
                     const Kiv::File::Path& to);
// Whether the file or folder exists. Without a base a relative path counts as existing,
// without looking at the disk.
bool FileExistsUnder(const Kiv::PString& base, const Kiv::File::Path& path);
// Removes a folder tree, else a file; false for an empty path or a relative one without a
// base.
bool DeleteTreeUnder(const Kiv::PString& base, const Kiv::File::Path& path);

// True when the folder or a folder below it holds a file whose name matches the pattern
// ("*" and "?", ASCII case ignored; empty or null: any file). Folders are searched depth
// first, at most 512 levels deep; folders reached through symbolic links are not entered.
bool ContainsAnyFile(const char* pattern, const Kiv::File::Path& folder);

bool IsDotDirectory(std::string_view name);

// The path as the user writes it on this system: every "\" turned into "/".
std::string WithForwardSlashes(std::string_view path);

// Normalises the path ("." and ".." components), turns "/" into "\" and drops a trailing
// separator (nothing for an empty path); returns the length it had before. The case stays
// as given: on a case-sensitive file system another spelling may be another file.
size_t CanonicalisePath(Kiv::File::Path& path);
