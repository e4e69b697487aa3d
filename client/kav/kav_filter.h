// Everything a builder of asset-query filters needs: the node kinds, the factory and the
// reader (KAVFilterElement), and the key-name table.
#pragma once

#include "client/kav/kav_filter_asset_id.h"
#include "client/kav/kav_filter_bool.h"
#include "client/kav/kav_filter_element.h"
#include "client/kav/kav_filter_group.h"
#include "client/kav/kav_filter_key_names.h"
#include "client/kav/kav_filter_range.h"
#include "client/kav/kav_filter_string.h"
#include "client/kav/kav_filter_tags.h"
