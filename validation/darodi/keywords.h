// The interned words of the validation library: template and definition keys, type words,
// kind words, config keys, rule argument keys and comment tags. Tag names, keys and kinds
// are compared by interned identity (exact, case-sensitive), so each word is interned once
// and every check compares against the same handle.
#pragma once

#include "engine/pstring.h"

namespace DAROdi {

struct Keywords {
    // Template keys.
    Kiv::PString topLevel{"top-level"}, inherit{"inherit"}, subpossibilities{"subpossibilities"},
        tagarray{"tagarray"}, arrayElement{"array-element"}, validation{"validation"},
        obsoleteTag{"obsolete-tag"}, obsoleteVersion{"obsolete-version"},
        savingname{"savingname"};
    // Definition keys.
    Kiv::PString kindKey{"kind"}, value{"value"}, element{"element"},
        elementType{"element-type"}, type{"type"}, compulsory{"compulsory"},
        defaultKey{"default"}, parent{"parent"}, source{"source"}, unique{"unique"},
        datatype{"datatype"}, category{"category"}, filter{"filter"}, disabled{"disabled"},
        sequence{"sequence"}, numarray{"numarray"}, containerType0{"container-type0"},
        icon{"icon"};
    // Definition values.
    Kiv::PString meshes{"meshes"}, image{"image"}, animation{"animation"};
    // Type words.
    Kiv::PString floatWord{"float"}, string{"string"}, intWord{"int"}, boolWord{"bool"},
        vector2{"vector2"}, vector3{"vector3"}, rgb{"rgb"}, vector4{"vector4"},
        vector5{"vector5"}, floatlist{"floatlist"}, combobox{"combobox"},
        intcombobox{"intcombobox"}, listbox{"listbox"}, doublestring{"doublestring"},
        kuidWord{"kuid"}, filepath{"filepath"}, filepathedit{"filepathedit"},
        stringkuid{"stringkuid"}, kuidbrowser{"kuidbrowser"},
        stringkuidbrowser{"stringkuidbrowser"};
    // Kind words.
    Kiv::PString bridge{"bridge"}, tunnel{"tunnel"}, doubleTrack{"double-track"},
        track{"track"}, chunkyTrack{"chunky-track"}, meshReducingTrack{"mesh-reducing-track"},
        obsoleteTrack{"obsolete-track"}, scenery{"scenery"},
        sceneryTrackside{"scenery-trackside"}, spline{"spline"}, chunkyMesh{"chunky_mesh"},
        unitMesh{"unit_mesh"}, trackside{"trackside"};
    // Config keys.
    Kiv::PString kind{"kind"}, kodrinBuild{"kodrin-build"}, alias{"alias"}, height{"height"},
        kuid{"kuid"}, username{"username"}, description{"description"}, license{"license"},
        author{"author"}, organisation{"organisation"}, contactEmail{"contact-email"},
        contactWebsite{"contact-website"}, website{"website"}, script{"script"},
        meshAsset{"mesh-asset"}, meshTable{"mesh-table"}, autoCreate{"auto-create"},
        shadow{"shadow"}, collateMeshes{"collate-meshes"}, texture{"texture"},
        assetFilename{"asset-filename"}, initialCount{"initial-count"}, lights{"lights"},
        attParent{"att-parent"}, attachment{"attachment"}, attachedTrack{"attached-track"},
        queues{"queues"}, meshElement{"mesh-element"}, effectAttachment{"effect-attachment"},
        effectCorona{"effect-corona"}, smoke{"smoke"}, sound{"sound"},
        stringTable{"string-table"}, obsoleteTable{"obsolete-table"},
        extensions{"extensions"};
    // Rule argument keys.
    Kiv::PString min{"min"}, max{"max"}, size{"size"}, zero{"0"}, one{"1"};
    // Comment tags.
    Kiv::PString bang{"!"}, semicolon{";"}, rem{"rem"};
};

// The process's words, interned on first use.
const Keywords& Words();

} // namespace DAROdi
