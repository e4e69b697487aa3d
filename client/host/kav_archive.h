// KAVArchive: the command host's multi-asset archive files ('karc', kav_archive_format.h).
// The save job writes the header and the entries (each asset's config soup as the daemon
// hands it out, request 48) straight into the file, patching offsets afterwards; the
// install job walks a file and installs the entries the daemon asked for, one by one.
#pragma once

#include <cstdint>

#include "foundation/kuid/kuid_list.h"

class ResultsLog;
class TStream;

class KAVArchive {
  public:
    // Magic, version 1, build 3.3, the end-offset placeholder and the tag; answers the
    // placeholder's position, to be patched with the file's size once it is complete.
    static int64_t WriteHeader(TStream& stream, int32_t tag);
    // One entry per KUID whose archived soup names a KUID, then the null KUID. False when an
    // asset was left out or a write failed.
    static bool WriteEntries(const KUIDList& list, TStream& stream, ResultsLog& log);
    // Installs the entries of the file that list names, taking each installed KUID out of
    // list. False, with an error entry, when the file is not a readable archive of tag.
    static bool InstallFromFile(int32_t tag, KUIDList& list, const char* path, ResultsLog& log);
};
