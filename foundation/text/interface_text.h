// InterfaceTextDB: the texts the user sees, named in the code by "$" keys ("$kav_installed")
// and read from one soup file per language in the installation's "data" folder (relative to
// the working folder, which start-up makes the program folder): the compiled chump file, or
// its ".txt" form when that cannot be read. A key the table lacks comes back as the key
// itself, so a missing text shows but never fails. A language other than English loads the
// English table beside its own, and a key its own file lacks (or the whole file, when that
// language ships no text) takes the English text. The table loads on first use and again
// after Invalidate, holding the resource lock exclusively; lookups hold it shared.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/soup/chunk_ref.h"

class InterfaceTextDB {
  public:
    InterfaceTextDB() = default;
    InterfaceTextDB(const InterfaceTextDB&) = delete;
    InterfaceTextDB& operator=(const InterfaceTextDB&) = delete;
    virtual ~InterfaceTextDB() = default;

    // The process-wide table, loaded first when it is not loaded.
    static InterfaceTextDB& Instance();
    // Chooses the file of a language code (ignoring case; null or empty is English). An
    // unknown code leaves the choice as it was. Nothing is reloaded before Invalidate.
    static void SetLanguage(const char* code);
    // The next use of Instance loads the chosen file again.
    static void Invalidate();
    // The chosen file name ("interfacetext.chump" until a language is set).
    static Kiv::PString FileName();
    // How many misses have been logged; at most ten are, for the life of the process.
    static int32_t LoggedMisses();

    // Reads the chosen file into the table. The caller holds the resource lock exclusively;
    // Instance does all of that.
    void Load();

    // The text of key, from the chosen language or else from English. A key missing from
    // both gives the key itself when misses are logged, else the empty text; a null or
    // empty key comes back unchanged.
    Kiv::PString GetString(const Kiv::PString& key, bool logMisses) const;
    // The text of key in the "scenario_text" part of the file; empty when missing.
    Kiv::PString GetScenarioString(const Kiv::PString& key) const;

    // The file's "pelmo_map_text" and "pelmo_spec_text" containers (shared, not copied),
    // or empty handles when the loaded file has none.
    const ACSChunkRef& PelmoMapText() const { return pelmoMapText_; }
    const ACSChunkRef& PelmoSpecText() const { return pelmoSpecText_; }

  private:
    ACSChunkRef root_;          // the whole file
    ACSChunkRef english_;       // the English file under another language, else empty
    ACSChunkRef pelmoMapText_;  // its "pelmo_map_text" container, or empty
    ACSChunkRef pelmoSpecText_; // its "pelmo_spec_text" container, or empty
    ACSChunkRef scenarioText_;  // its "scenario_text" container, or empty
};

// The text of key from the loaded table, misses logged.
Kiv::String GetInterfaceText(const Kiv::PString& key);
