// Seeding the asset table from the sections of a daemon script (scripted mode), so tests
// set up a database:
//   localuser { user 12  next 100 }          the local user id and its next content id
//   assets { 0 { location "local"            "local" (default) or "editing" (edit-only)
//                folder   "coal_wagon"       a plain name; default from the KUID
//                config   { kuid <kuid:12:1>  username "Coal wagon" ... }   its config.txt
//                files    { 0 { name "notes.txt"  text "..." } } } }         more files
//   settings { internet { language "en" } }  authors { 0 { id 5 account 7 name "ann" } }
//   urls { 0 { url "..." file "..." status 0 text "..." } }   builds "3.5\n3.6"
// An asset the table already holds (a daemon started again over the same installation) is
// left as it is. Folder and file names must be plain names: no separators, no "..".
#pragma once

#include <string>

#include "daemon/asset_table.h"

bool SeedAssetTable(AssetTable& table, const ACSChunkRef& script, std::string& error);
