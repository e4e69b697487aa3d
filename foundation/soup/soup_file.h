// Soup files: which form an extension selects, and the load step that LoadFromFile and the
// recovering load share. The status tells apart a file that could not be opened, one that
// could not be read, and one that was read and held no soup, so that only the last counts
// as damaged.
#pragma once

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
