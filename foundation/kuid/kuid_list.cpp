// KUID list as a set.
#include "foundation/kuid/kuid_list.h"

bool AddUnique(KUIDList& list, const KUID& kuid) {
    if (kuid.IsNull() || !list.Find(kuid).IsEnd()) return false;
    list.PushBack(kuid);
    return true;
}
