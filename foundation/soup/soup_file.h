// Soup files: which form an extension selects, and the load step that LoadFromFile and the
// recovering load share. The status tells apart a file that could not be opened, one that
// could not be read, and one that was read and held no soup, so that only the last counts
// as damaged.
#pragma once

#include <string>

#include "foundation/soup/chunk_ref.h"

enum class SoupFileStatus {
    NotOpened,   // the file did not open
    UnknownForm, // the extension names no soup form
    Unread,      // opened, but the reader could not read it (a read error, no reader)
    Empty,       // read to the end: no soup in it
    Loaded,      // read: the handle holds the soup
};

// Opens the file (folder and name, or name alone when folder is null or empty), picks the
// reader by the extension (ResolveFileExtension) and fills the handle. The handle is left
// as it was when the file does not open.
SoupFileStatus LoadSoupFile(ACSChunkRef& handle, const char* folder, const char* name,
                            const char* extension, bool utf8);

// Whether the extension (or, without one, the name's own) selects a soup form.
bool HasSoupForm(const char* extension, const char* name);

// Writes the soup in the form the extension names (ResolveFileExtension of extension and
// path) to path, relative to the working folder unless absolute, through a temporary file
// beside it that replaces the old file only when complete (foundation/files/atomic_file.h):
// on any failure the old file stays. False with the cause in error (for a write failure,
// the system's error text).
bool SaveSoupFileAtomically(const ACSChunkRef& soup, const char* path, const char* extension,
                            std::string& error);
