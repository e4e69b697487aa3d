// What the download service's content pipeline needs of the tool: taking in one of its
// archives (`fpxparse`), describing assets in result lines (EscapeText, JoinKUIDTags),
// writing an asset's own archive and its thumbnail beside the service's archive, fetching
// what an installed asset still misses, and deleting every local asset (`fpxdeleteall`).
#pragma once

#include <cstdint>
#include <functional>

#include "client/command_context.h"
#include "engine/file_path.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"
#include "foundation/kuid/kuid_list.h"
#include "foundation/soup/raw_data.h"

class ResultsLog;

namespace KodrinUtil {

// Line breaks become backslash and "n" ("\r\n" and "\n\r" count as one break), backslashes
// are doubled; a null text gives the empty text.
Kiv::String EscapeText(const char* text);
// The KUIDs' tags in list order, separated by ", "; empty for an empty list.
Kiv::PString JoinKUIDTags(const KUIDList& list);
// The asset as the daemon archives it (request 48), in a new archive saved at path; a save
// error adds "Unable to write asset to CDP: %s". Always true.
bool WriteAssetToCDP(const KUID& kuid, const char* path, ResultsLog& log);
// The thumbnail bytes as one file at path; true when it was written whole.
bool WriteThumbnail(const ACSRawDataRef& data, const char* path);

// Installs one dependency from the download service; true when it reported success.
using DependencyInstaller = std::function<bool(const KUID& dependency)>;
// With the download service available: installs each dependency the daemon lists for the
// asset (request 42), in order, and runs the list again while the last one installed. Ends
// when a pass installs nothing that had not installed before, or after the first list's
// length + 1 passes, so a daemon that keeps listing an installed dependency cannot hold the
// tool forever. Answers the number of passes made.
int32_t FetchMissingDependencies(const KUID& kuid, const DependencyInstaller& install);

// Installs every asset of the archive at path open for editing. When that adds an error to
// the log, every asset installed is reverted, "Aborted processing" is added, and the
// answer is false. Otherwise fetches what the assets miss, commits them and describes each
// (DescribeFPXAsset) with the archive's folder and its "thumbnail" data; true when every
// commit succeeded. An archive that cannot be read adds "$kav_unreadable_cdp".
bool ParseFPXArchive(const char* path, ResultsLog& log);
// Under the asset's KUID as the log's context: its status line, its validation, the lines
// "Name: ", "Description: ", "Kodrin-build: ", "Dependencies: ", "Obsoletes: ", then its
// own archive and thumbnail written as folder + "kuid 1 2" + ".cdp" and ".jpg", then the
// lines "kind: ", "alias-kuid: ", "category-region: ", "category-era: ", "category-class: ".
// The thumbnail is the daemon's JPEG file of the asset, else archiveThumbnail when not null.
void DescribeFPXAsset(const KUID& kuid, const Kiv::File::Path& folder,
                      const ACSRawDataRef& archiveThumbnail, ResultsLog& log);

// Every asset the daemon lists under "local" is deleted (request 36); true whatever the
// deletions report.
bool DeleteAllFPXAssets(ResultsLog& log);

int CommandFPXParse(CommandContext& context);      // 0, or -1 when ParseFPXArchive failed
int CommandFPXDeleteAll(CommandContext& context);  // always 0

}  // namespace KodrinUtil
