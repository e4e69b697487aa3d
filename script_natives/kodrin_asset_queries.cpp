// The asset queries of "KodrinScriptBase": one filter group per native, sent to the asset
// database (request 2), the KUIDs it answers turned into a script array of Asset or KUID
// objects. Conditions are named by their key names; a negated condition is a negated
// subgroup holding it.
#include <memory>

#include "foundation/console/log_message.h"
#include "foundation/kuid/kuid_list.h"
#include "link/kav/kav_filter_bool.h"
#include "link/kav/kav_filter_group.h"
#include "link/kav/kav_filter_key_names.h"
#include "link/kav/kav_filter_string.h"
#include "link/kav/kav_requests_asset.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/kodrin_script_context.h"
#include "script_natives/native_arguments.h"
#include "script_natives/script_class_slots.h"
#include "script_runtime/gs_array.h"
#include "script_runtime/gs_stack.h"
#include "validation/darodi/category_tokens.h"

namespace {

constexpr int32_t kCategoryList = 1;  // the "category-list" text condition

// The type number of the truth-value condition with this key name.
int32_t ConditionType(std::string_view name) {
    const int32_t boolTag = KAVFilterElementBool().GetTag();
    for (const KAVFilterKeyNameRow& row : KAVFilterKeyNames())
        if (row.tag == boolTag && name == row.name) return row.type;
    return -1;
}

class Filter {
  public:
    Filter& Is(const char* name) {
        group_->Append(std::make_unique<KAVFilterElementBool>(ConditionType(name)));
        return *this;
    }
    Filter& IsNot(const char* name) {
        KAVFilterElementGroup::OpenSubgroup(*group_, std::make_unique<KAVFilterElementBool>(ConditionType(name)));
        return *this;
    }
    Filter& InCategories(const Kiv::String& text) {
        group_->Append(std::make_unique<KAVFilterElementString>(kCategoryList, Kiv::PString(text.c_str())));
        return *this;
    }
    const KAVFilterElementGroup* Group() const { return group_.get(); }

  private:
    std::unique_ptr<KAVFilterElementGroup> group_ = std::make_unique<KAVFilterElementGroup>();
};

// The filter of both asset lists: local, listed and compatible assets of the categories.
Filter AssetListFilter(const Kiv::String& categories, bool withoutFaulty) {
    Filter filter;
    filter.Is("local").Is("locally-available").Is("locally-enabled").Is("listing-privilege").IsNot("obsolete").Is(
        "compatible");
    if (withoutFaulty) filter.IsNot("faulty");
    filter.InCategories(categories);
    return filter;
}

KUIDList Query(const KAVFilterElementGroup* filter) {
    KUIDList kuids;
    if (filter) KAVAssetRequests::QueryAssets(filter, kuids);
    return kuids;
}

}  // namespace

void KodrinScriptContext::PushAssetArray(GSStack* stack, const KAVFilterElementGroup* filter, const char* warnKind) {
    const KUIDList kuids = Query(filter);
    if (warnKind && kuids.Count() == 0)
        LogMessage("World.GetAssetList> warning: found zero assets of type '%s'", warnKind);
    auto* array = new GSArray(this, GSArray::kReferences);
    int32_t index = 0;
    for (const KUID& kuid : kuids) {
        GSOAsset* asset = GSOAsset::Create(this, kuid);
        if (asset && asset->GetInstance()) array->SetObject(index++, asset->GetInstance(), false, ScriptClasses().asset);
    }
    stack->PushReference(array->GetReference(), nullptr);
}

void KodrinScriptContext::GetAssetList(GSStack* stack) {
    Kiv::PString kind;
    if (!CheckStringArgument(stack, 1, false, kind)) return;
    kind = kind.ToLower();
    const Kiv::String categories = DAROdi::LookupKindCategory(kind, Kiv::PString());
    const Filter filter = AssetListFilter(categories, true);
    PushAssetArray(stack, categories.IsEmpty() ? nullptr : filter.Group(), kind.c_str());
}

void KodrinScriptContext::GetAssetListWithTokens(GSStack* stack) {
    Kiv::PString kind, tokens;
    if (!CheckStringArgument(stack, 1, false, kind) || !CheckStringArgument(stack, 2, false, tokens)) return;
    kind = kind.ToLower();
    const Kiv::String base = DAROdi::LookupKindCategory(kind, Kiv::PString());
    const Kiv::String categories = DAROdi::BuildCategoryTokenList(base.c_str(), tokens.ToUpper().c_str());
    const Filter filter = AssetListFilter(categories, false);
    PushAssetArray(stack, categories.IsEmpty() ? nullptr : filter.Group(), kind.c_str());
}

void KodrinScriptContext::SearchAssets(GSStack* stack) {
    Kiv::PString text;
    if (!CheckStringArgument(stack, 1, false, text)) return;
    const bool localOnly = ArgumentValue(stack, 2).i != 0;
    Filter filter;
    if (localOnly) filter.Is("local").Is("locally-available").Is("locally-enabled");
    filter.Is("listing-privilege").IsNot("obsolete").Is("compatible").InCategories(Kiv::String(text.ToUpper()));
    auto* array = new GSArray(this, GSArray::kReferences);
    int32_t index = 0;
    for (const KUID& kuid : Query(filter.Group())) {
        GSOKUID* object = GSOKUID::Create(kuid, this);
        if (object && object->GetInstance()) array->SetObject(index++, object->GetInstance(), false, ScriptClasses().kuid);
    }
    stack->PushReference(array->GetReference(), nullptr);
}

void KodrinScriptContext::FindUpdatedAssets(GSStack* stack) {
    Filter filter;
    filter.Is("local").IsNot("obsolete").IsNot("up-to-date");
    PushAssetArray(stack, filter.Group(), nullptr);
}
