// The natives of the static class "LinkedList": arrays of LinkedData items, sorted by key
// and added to without duplicates. An item is read through its "LinkedData" view: its first
// three members are the key (a string), an integer and an object, each read only when its
// slot holds that kind; an element of another class, or null, reads as an empty key, 0 and
// null. Keys compare as unsigned bytes.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/string.h"
#include "script_natives/native_arguments.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_plain_native_table.h"

namespace {

struct LinkedItem {
    std::string_view key;
    int32_t value = 0;
    GSSlot* object = nullptr;
};

// The instance's "LinkedData" view (its slot offset) and that class, or null.
const GSClass* LinkedDataView(const GSScriptInstance* instance, int32_t& offset) {
    const GSClass* gsClass = instance ? instance->Class() : nullptr;
    offset = 0;
    if (!gsClass || std::strcmp(gsClass->Name(), "LinkedData") == 0) return gsClass;
    for (size_t i = 0; i < gsClass->Ancestors().size(); ++i) {
        const GSClass* ancestor = gsClass->AncestorClass(i);
        if (ancestor && std::strcmp(ancestor->Name(), "LinkedData") == 0) {
            offset = gsClass->Ancestors()[i].offset;
            return ancestor;
        }
    }
    return nullptr;
}

// Slot `slot` of the view at `offset`, when it lies in the instance and holds that kind.
const GSSlot* SlotOfKind(GSScriptInstance* instance, int32_t offset, int32_t slot, GSSlotKind kind) {
    const std::vector<GSSlotKind>& kinds = instance->Class()->SlotKinds();
    const int64_t at = int64_t{offset} + slot;
    if (slot < 0 || at < 0 || static_cast<size_t>(at) >= kinds.size() || kinds[static_cast<size_t>(at)] != kind)
        return nullptr;
    return instance->Slots() + at;
}

// The class's three lowest member slots, in slot order (the member table is not).
std::vector<int32_t> FirstMemberSlots(const GSClass& gsClass) {
    std::vector<int32_t> slots;
    for (const GSMember& member : gsClass.Members()) slots.push_back(member.slot);
    std::sort(slots.begin(), slots.end());
    slots.resize(3);
    return slots;
}

LinkedItem ReadItem(GSSlot* reference) {
    LinkedItem item;
    GSScriptInstance* instance = GSInstanceOf(reference);
    int32_t offset = 0;
    const GSClass* linkedData = LinkedDataView(instance, offset);
    if (!linkedData || linkedData->Members().size() < 3) return item;
    const std::vector<int32_t> slots = FirstMemberSlots(*linkedData);
    if (const GSSlot* key = SlotOfKind(instance, offset, slots[0], GS_KIND_REFERENCE)) {
        const GSString* text = NativeObjectAs<GSString>(static_cast<GSSlot*>(key->p));
        if (text) item.key = text->View();
    }
    if (const GSSlot* value = SlotOfKind(instance, offset, slots[1], GS_KIND_VALUE)) item.value = value->i;
    if (const GSSlot* object = SlotOfKind(instance, offset, slots[2], GS_KIND_REFERENCE))
        item.object = static_cast<GSSlot*>(object->p);
    return item;
}

int CompareKeys(std::string_view a, std::string_view b) {
    return Kiv::AnsiString(std::string(a)).Compare(std::string(b).c_str());
}

bool SameItem(const LinkedItem& a, const LinkedItem& b) {
    return CompareKeys(a.key, b.key) == 0 && a.value == b.value && GSWholeObject(a.object) == GSWholeObject(b.object);
}

GSSlot* Element(const GSArray& array, int32_t index) {
    GSSlot* element = nullptr;
    array.GetObject(index, element, false);
    return element;
}

void Swap(GSArray& array, int32_t i, int32_t j) {
    GSSlot* a = nullptr;
    GSSlot* b = nullptr;
    array.GetObject(i, a, true);
    array.GetObject(j, b, true);
    array.SetObject(i, b, false, nullptr);
    array.SetObject(j, a, false, nullptr);
}

// "$void@LinkedList::SortInternal(LinkedData[])": a selection sort by key; of equal keys
// the first stays the minimum.
void SortInternal(GSContext*, GSStack* stack) {
    GSArray* array;
    if (!CheckObjectArgument(stack, 1, array)) return;
    const int32_t size = array->Count();
    for (int32_t i = 0; i < size; ++i) {
        int32_t least = i;
        for (int32_t j = i + 1; j < size; ++j)
            if (CompareKeys(ReadItem(Element(*array, j)).key, ReadItem(Element(*array, least)).key) < 0) least = j;
        if (least > i) Swap(*array, i, least);
    }
}

// "$void@LinkedList::AddInternal(LinkedData[],LinkedData,bool)".
void AddInternal(GSContext*, GSStack* stack) {
    GSArray* array;
    if (!CheckObjectArgument(stack, 1, array)) return;
    GSSlot* item = ArgumentReference(stack, 2);
    if (!item) return;
    if (ArgumentValue(stack, 3).i != 0) {
        const LinkedItem added = ReadItem(item);
        for (int32_t i = 0; i < array->Count(); ++i)
            if (SameItem(ReadItem(Element(*array, i)), added)) return;
    }
    array->SetObject(array->Count(), item, true, nullptr);
}

const GSPlainNative kLinkedListNatives[] = {
    {"$void@LinkedList::SortInternal(LinkedData[])", SortInternal},
    {"$void@LinkedList::AddInternal(LinkedData[],LinkedData,bool)", AddInternal},
};

}  // namespace

void RegisterLinkedListNatives(GSMachine& machine) {
    GSRegisterPlainNatives(machine, "LinkedList", kLinkedListNatives);
}
