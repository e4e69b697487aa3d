// Everything a builder of asset-query filters needs: the node kinds, the factory and the
// reader (KAVFilterElement), and the key-name table.
#pragma once

#include "link/kav/kav_filter_asset_id.h"
#include "link/kav/kav_filter_bool.h"
#include "link/kav/kav_filter_element.h"
#include "link/kav/kav_filter_group.h"
#include "link/kav/kav_filter_key_names.h"
#include "link/kav/kav_filter_range.h"
#include "link/kav/kav_filter_string.h"
#include "link/kav/kav_filter_tags.h"
