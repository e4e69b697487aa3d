// DAROdi::Tag: one checked value tag of an asset's config (or one compulsory tag the config
// lacks), with what the checks and the export need: its value as text, its type code, its
// rules and the definition that classified it. Its container owns it. A deleted Tag leaves
// no trace: its first finding goes from the error handler, the rest forget it, and every
// list of the data manager drops it.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

class Container;
class Tag;

// A rule attached to a tag: the tag and the rule's argument soup; false when it failed.
using TagRule = bool (*)(Tag& tag, const ACSChunkRef& arguments);

class Tag {
  public:
    Tag();
    virtual ~Tag();
    Tag(const Tag&) = delete;
    Tag& operator=(const Tag&) = delete;

    // Attaches the tag rules named in the definition's "validation" (container_rules.cpp).
    void ReadTagRules(const ACSChunkRef& definition);
    // Runs every attached rule in order; false when any failed.
    bool RunRules();

    Kiv::PString name;
    Kiv::PString value;
    int32_t typeCode = 0;
    int32_t index = -1;
    Container* parent = nullptr;
    Kiv::PString datatype;
    bool listSourceFlag = false;
    Kiv::PString listSource;
    std::vector<TagRule> rules;
    std::vector<ACSChunkRef> ruleArguments;
    bool disabled = false;
    bool filePath = false;
    ACSChunkRef definition;
    Kiv::PString categoryPattern;
    Kiv::PString filter;
    bool neverSet = false; // always false; the missing-tag warning tests it

    // Tags constructed in this process.
    static int64_t ConstructedCount();
};

} // namespace DAROdi
