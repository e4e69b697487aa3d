// The words are interned once, on first use, and live for the process.
#include "validation/darodi/keywords.h"

namespace DAROdi {

const Keywords& Words() {
    static const Keywords* words = new Keywords;
    return *words;
}

} // namespace DAROdi
