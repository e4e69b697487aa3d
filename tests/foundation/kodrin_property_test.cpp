// Asset-id properties and their handles: value text in both directions, and that every
// handle operation keeps the reference count right (release clears, reassignment drops
// the old reference, reset hands it over).
#include "foundation/results/kodrin_property.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

KodrinPropertyAssetID* NewAssetID(const KUID& kuid) {
    return new KodrinPropertyAssetID(Kiv::PString("AssetID"), kuid);
}

TEST(KodrinProperty, AssetIDValueTextIsTheKUIDTag) {
    struct Case {
        KUID kuid;
        const char* text;
    };
    const Case cases[] = {
        {KUID(1, 2, 3), "<kuid2:1:2:3>"},
        {KUID(1, 2, 0), "<kuid:1:2>"},
        {KUID(-3, 4, 127), "<kuid:-3:4>"},
        {KUID(), "<NULL>"},
    };
    for (const Case& c : cases) {
        KodrinPropertyAssetID* property = NewAssetID(c.kuid);
        EXPECT_STREQ(property->GetValueText().c_str(), c.text);
        EXPECT_EQ(property->Name(), Kiv::PString("AssetID"));
        EXPECT_EQ(property->KindCode(), 8);
        property->Release();
    }
}

TEST(KodrinProperty, AssetIDSetValueTextParsesLeniently) {
    struct Case {
        const char* text;
        KUID value;
    };
    const Case cases[] = {
        {"<kuid2:1:2:3>", KUID(1, 2, 3)},
        {"12:34", KUID(12, 34, 0)},
        {"99", KUID(-1, 99, 127)},
        {"1:2:3", KUID()},
        {"rubbish", KUID()},
    };
    KodrinPropertyAssetID* property = NewAssetID(KUID(7, 7, 7));
    for (const Case& c : cases) {
        property->SetValueText(c.text);
        EXPECT_EQ(property->Value(), c.value) << c.text;
    }
    property->Release();
}

TEST(KodrinPropertyHandle, ReleaseClearsTheHandleSoASecondReleaseDoesNothing) {
    KodrinPropertyAssetID* property = NewAssetID(KUID(1, 2, 0));
    KodrinPropertyHandle handle;
    handle.AssignAssetID(property);
    EXPECT_EQ(property->ReferenceCountValue(), 2);
    EXPECT_STREQ(handle.GetValueText().c_str(), "<kuid:1:2>");

    handle.Release();
    EXPECT_TRUE(handle.IsNull());
    EXPECT_EQ(property->ReferenceCountValue(), 1);
    handle.Release();
    EXPECT_EQ(property->ReferenceCountValue(), 1);
    EXPECT_TRUE(handle.GetValueText().IsNull()) << "no property: the empty string";
    property->Release();
}

TEST(KodrinPropertyHandle, EveryOperationKeepsTheCountRight) {
    KodrinPropertyAssetID* a = NewAssetID(KUID(1, 1, 0));
    KodrinPropertyAssetID* b = NewAssetID(KUID(2, 2, 0));
    {
        KodrinPropertyHandle first;
        first.AssignAssetID(a);
        KodrinPropertyHandle second;
        second.Assign(first);
        EXPECT_EQ(a->ReferenceCountValue(), 3);

        second.AssignAssetID(b); // drops its reference to a
        EXPECT_EQ(a->ReferenceCountValue(), 2);
        EXPECT_EQ(b->ReferenceCountValue(), 2);

        second.Assign(second); // self-assignment keeps b alive
        EXPECT_EQ(b->ReferenceCountValue(), 2);

        KodrinPropertyHandle copy = first;
        KodrinPropertyHandle moved = std::move(copy);
        EXPECT_TRUE(copy.IsNull());
        EXPECT_EQ(a->ReferenceCountValue(), 3);

        moved.Reset(); // hands the reference back to us
        EXPECT_EQ(a->ReferenceCountValue(), 3);
        a->Release();

        KodrinPropertyHandle attached;
        attached.Attach(b->AddReference());
        EXPECT_EQ(b->ReferenceCountValue(), 3);
        attached.AssignAssetID(nullptr);
        EXPECT_TRUE(attached.IsNull());
        EXPECT_EQ(b->ReferenceCountValue(), 2);
    }
    EXPECT_EQ(a->ReferenceCountValue(), 1) << "destroyed handles dropped theirs";
    EXPECT_EQ(b->ReferenceCountValue(), 1);

    int destroyed = 0;
    struct Watched : KodrinPropertyAssetID {
        int* destroyed;
        explicit Watched(int* d) : KodrinPropertyAssetID(Kiv::PString("w"), KUID()), destroyed(d) {}
        ~Watched() override { ++*destroyed; }
    };
    KodrinPropertyHandle last;
    last.Attach(new Watched(&destroyed));
    last.Release();
    EXPECT_EQ(destroyed, 1) << "the last release deletes the property";
    a->Release();
    b->Release();
}

} // namespace
