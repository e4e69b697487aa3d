// KUIDList: the list and set of KUIDs used everywhere (dependency lists, KUID walks, the
// asset table): a block array of 128 KUIDs per block whose free slots hold the null KUID.
#pragma once

#include "foundation/containers/block_array.h"
#include "foundation/kuid/kuid.h"

using KUIDList = BlockArray<KUID, 128>;

// Appends kuid unless it is the null KUID or already in the list; true when appended.
bool AddUnique(KUIDList& list, const KUID& kuid);
