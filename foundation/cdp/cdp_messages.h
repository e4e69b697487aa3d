// The texts that CDP archive operations return as their error results. They are the
// program's own wording, kept exactly as users and scripts have always seen them (the
// "doesnt not" included); every operation reads them from here.
#pragma once

namespace CDPMessages {

inline constexpr const char kNotACDP[] = "Content could not be read, as the file is not a valid CDP";
inline constexpr const char kDamaged[] = "Content could not be read, as the CDP file is damaged";
inline constexpr const char kNewerVersion[] = "This content requires a newer Kodrin version";
inline constexpr const char kNoValidKUID[] =
    "Unable to add content as it doesnt not contain a valid KUID";
// %s: the KUID's tag text.
inline constexpr const char kAlreadyPresent[] =
    "Unable to add content as an item with KUID %s is already present";
inline constexpr const char kCannotSave[] =
    "Unable to write archive file. Needs to be .cdp file extension";
// %s: the archive's path, then the cause.
inline constexpr const char kCannotWriteArchive[] = "Unable to write archive file '%s': %s";
inline constexpr const char kCannotWriteFiles[] = "Unable to write content files to disk";
inline constexpr const char kDecompressFailed[] =
    "Failed to decompress data. Content package may be damaged";
inline constexpr const char kUnknownCompression[] =
    "Unknown compression type encountered. Content package may be damaged";
inline constexpr const char kUnknownDataType[] =
    "Unknown data type encountered. Content package may be damaged";

} // namespace CDPMessages
