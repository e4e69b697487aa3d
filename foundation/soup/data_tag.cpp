// The in-memory leaf: setting a value shares the caller's block.
#include "foundation/soup/data_tag.h"

void TDBDataTag::SetData(ACSTagType type, const ACSRawDataRef& data) {
    type_ = type;
    value_ = data;
}
