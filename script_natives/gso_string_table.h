// GSOStringTable: the native object behind the script class "StringTable": the localisable
// texts of an asset, looked up by key in its config's "string-table" container and then in
// the interface text's scenario strings, with up to ten parameters put in. A table keeps a
// use of its asset's spec for its whole life.
#pragma once

#include "foundation/soup/chunk_ref.h"
#include "script_natives/string_table_text.h"
#include "script_runtime/gs_object.h"

class KodrinBaseSpec;

class GSOStringTable : public GSObject {
  public:
    // The table of the spec's config (one use of the spec taken), attached to the
    // "StringTable" class; null when it cannot be made.
    static GSOStringTable* Construct(GSContext* context, KodrinBaseSpec* spec);
    ~GSOStringTable() override;

    void GetLanguage(GSStack* stack);
    void ClearParams(GSStack* stack);
    void SetParam(GSStack* stack);
    void GetString(GSStack* stack);

  private:
    explicit GSOStringTable(KodrinBaseSpec* spec);

    KodrinBaseSpec* spec_;
    ACSChunkRef table_;
    StringTableParameters parameters_;
};
