// The string table of a scenario: activities and behaviors include it.

include "gs.gs"
include "stringtable.gs"

class ScenarioStringTable {
  public StringTable strings;
};
