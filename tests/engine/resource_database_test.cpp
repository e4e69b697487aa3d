// Resource databases and the resource system: a name selects its type by its ending (the
// binary type when the file exists, else the text type of "<name>.txt"), a mounted archive
// stands for the folder, the first lock loads once, the cache shares resources and dumps
// only those no one holds, and a database that goes leaves its resources detached.
#include "engine/resource_database.h"

#include <gtest/gtest.h>

#include "engine/builtin_plugins.h"
#include "engine/file.h"
#include "engine/file_bytes.h"
#include "engine/resource_archive_writer.h"
#include "engine/resource_system.h"
#include "engine/resource_type.h"
#include "temp_folder.h"

namespace {

constexpr Kiv::UId kProbeType = *Kiv::UId::Parse("5E1F0000-0000-4000-8000-0000000000A1");

struct ProbeCounts {
    int loads = 0;
    int textLoads = 0;
    int completes = 0;
    int live = 0;
};
ProbeCounts g_probe;

class ProbeResource : public Kiv::Resource {
public:
    ProbeResource(const Kiv::PString& name, Kiv::ResourceDatabase* database, Form form)
        : Resource(name, database, form) {
        ++g_probe.live;
    }
    std::string content;

protected:
    ~ProbeResource() override { --g_probe.live; }
    bool Load(const char* name) override {
        ++g_probe.loads;
        std::vector<uint8_t> bytes;
        if (!ReadSource(name, bytes)) return false;
        content.assign(bytes.begin(), bytes.end());
        return content != "bad";
    }
    bool LoadTxt(std::string_view text) override {
        ++g_probe.textLoads;
        content = text;
        return true;
    }
    bool LoadComplete() override {
        ++g_probe.completes;
        return true;
    }
};

class ResourceDatabaseTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* name : {"kivtest.probe", "kivtest.probe.txt"}) {
            Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<ProbeResource>(
                Kiv::PString(name), kProbeType, Kiv::kResourceFamilyUId));
        }
    }
    void SetUp() override {
        g_probe = {};
        temp.MakeFolder("asset/sub");
        Kiv::File::Subst("kivtestasset", temp.Path("asset/").c_str());
    }
    void TearDown() override { Kiv::File::Subst("kivtestasset"); }

    Kiv::ResourceSystem system;
    TempFolder temp;
};

TEST_F(ResourceDatabaseTest, TheNameSelectsTheTypeAndItsForm) {
    temp.WriteFile("asset/a.probe", "binary");
    temp.WriteFile("asset/a.probe.txt", "text beside");
    temp.WriteFile("asset/sub/b.PROBE.txt", "text only");
    temp.WriteFile("asset/c.other", "no type serves it");
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));

    const struct {
        const char* name;
        bool made;
        Kiv::Resource::Form form;
        const char* content;
    } cases[] = {
        {"a.probe", true, Kiv::Resource::Form::kBinary, "binary"},
        {"sub/b.PROBE", true, Kiv::Resource::Form::kText, "text only"},
        {"c.other", false, {}, ""},
        {"missing.probe", false, {}, ""},
        {"noextension", false, {}, ""},
    };
    for (const auto& c : cases) {
        Kiv::Resource* resource = database.Get(Kiv::PString(c.name));
        ASSERT_EQ(resource != nullptr, c.made) << c.name;
        if (!resource) continue;
        EXPECT_EQ(resource->GetForm(), c.form) << c.name;
        EXPECT_TRUE(resource->Lock()) << c.name;
        EXPECT_EQ(static_cast<ProbeResource*>(resource)->content, c.content);
        EXPECT_EQ(resource->GetOwnerName(), Kiv::PString("kivtestasset"));
        resource->Unlock();
        resource->Release();
    }
}

TEST_F(ResourceDatabaseTest, TheFirstLockLoadsOnceAndAFailedLoadStaysFailed) {
    temp.WriteFile("asset/good.probe", "fine");
    temp.WriteFile("asset/bad.probe", "bad");
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
    Kiv::Resource* good = database.Get(Kiv::PString("good.probe"));
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(good->GetLoadState(), Kiv::Resource::LoadState::kNotLoaded);
    EXPECT_TRUE(good->Lock());
    EXPECT_TRUE(good->Lock());
    EXPECT_EQ(good->GetLockCount(), 2);
    EXPECT_EQ(g_probe.loads, 1);
    EXPECT_EQ(g_probe.completes, 1);
    good->Unlock();
    good->Unlock();
    good->Unlock();  // one too many changes nothing
    EXPECT_EQ(good->GetLockCount(), 0);
    EXPECT_EQ(good->GetLoadState(), Kiv::Resource::LoadState::kLoaded);

    Kiv::Resource* bad = database.Get(Kiv::PString("bad.probe"));
    ASSERT_NE(bad, nullptr);
    EXPECT_FALSE(bad->Lock());
    EXPECT_FALSE(bad->Lock());
    EXPECT_EQ(g_probe.loads, 2);  // not read again
    EXPECT_EQ(g_probe.completes, 1);
    EXPECT_EQ(bad->GetLoadState(), Kiv::Resource::LoadState::kFailed);
    EXPECT_EQ(bad->GetLockCount(), 0);
    good->Release();
    bad->Release();
}

TEST_F(ResourceDatabaseTest, AMountedArchiveWinsOverTheFolder) {
    temp.WriteFile("asset/a.probe", "loose");
    Kiv::ResourceArchiveWriter writer;
    writer.Add("a.probe", "packed");
    writer.Add("Sub/Deep/b.probe.txt", "packed text");
    writer.Add("sub/c.probe", "c");
    ASSERT_TRUE(writer.Write(temp.Path("asset.ka").c_str()));
    ASSERT_TRUE(Kiv::File::Subst("kivtestasset", temp.Path("asset.ka").c_str(), false));
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
    EXPECT_TRUE(database.IsArchive());
    EXPECT_TRUE(database.Exists("A.PROBE"));
    EXPECT_FALSE(database.Exists("sub"));  // a folder is not a file

    Kiv::Resource* a = database.Get(Kiv::PString("a.probe"));
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(a->Lock());
    EXPECT_EQ(static_cast<ProbeResource*>(a)->content, "packed");
    Kiv::Resource* b = database.Get(Kiv::PString("sub/deep/b.probe"));
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->Lock());
    EXPECT_EQ(static_cast<ProbeResource*>(b)->content, "packed text");

    Kiv::ResourceSearch search;
    ASSERT_TRUE(database.GetSearchHandle("sub/*", search));
    std::vector<std::pair<std::string, bool>> found;
    while (search.Next()) found.emplace_back(search.GetName(), search.IsFolder());
    EXPECT_EQ(found, (std::vector<std::pair<std::string, bool>>{{"Deep", true}, {"c.probe", false}}));
    a->Release();
    b->Release();
}

std::string Text(const Kiv::FileBytes& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.View().data()), bytes.View().size());
}

TEST_F(ResourceDatabaseTest, FileBytesMapALooseFileAndHoldAnArchiveEntry) {
    temp.WriteFile("asset/m.bin", std::string("mesh\0bytes", 10));
    temp.WriteFile("asset/empty.bin", "");
    Kiv::ResourceDatabase folder(Kiv::PString("kivtestasset"));
    Kiv::FileBytes bytes;
    ASSERT_TRUE(folder.ReadFile("m.bin", bytes));
    EXPECT_EQ(bytes.IsMapped(), Kiv::FileBytes::kMapsFiles);
    Kiv::FileBytes moved(std::move(bytes));
    EXPECT_EQ(Text(moved), std::string("mesh\0bytes", 10));
    EXPECT_TRUE(bytes.View().empty());
    ASSERT_TRUE(folder.ReadFile("empty.bin", moved));  // nothing to map: read, and empty
    EXPECT_FALSE(moved.IsMapped());
    EXPECT_TRUE(moved.View().empty());
    EXPECT_FALSE(folder.ReadFile("missing.bin", moved));
    EXPECT_FALSE(folder.ReadFile("sub", moved));

    Kiv::ResourceArchiveWriter writer;
    writer.Add("m.bin", "packed");
    ASSERT_TRUE(writer.Write(temp.Path("asset.ka").c_str()));
    ASSERT_TRUE(Kiv::File::Subst("kivtestasset", temp.Path("asset.ka").c_str(), false));
    Kiv::ResourceDatabase archive(Kiv::PString("kivtestasset"));
    ASSERT_TRUE(archive.ReadFile("M.BIN", moved));
    EXPECT_FALSE(moved.IsMapped());
    EXPECT_EQ(Text(moved), "packed");
}

TEST_F(ResourceDatabaseTest, AnUnreadableArchiveLeavesNothingMounted) {
    temp.WriteFile("broken.ka", "KARC");
    EXPECT_FALSE(Kiv::File::Subst("kivtestasset", temp.Path("broken.ka").c_str(), false));
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
    EXPECT_FALSE(database.IsArchive());
    EXPECT_FALSE(database.Exists("a.probe"));
}

TEST_F(ResourceDatabaseTest, FolderSearchesListOneFolder) {
    temp.WriteFile("asset/x.probe", "");
    temp.WriteFile("asset/y.txt", "");
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
    Kiv::ResourceSearch search;
    ASSERT_TRUE(database.GetSearchHandle("*.PROBE", search));
    ASSERT_TRUE(search.Next());
    EXPECT_STREQ(search.GetName(), "x.probe");
    EXPECT_FALSE(search.Next());
    EXPECT_FALSE(database.GetSearchHandle("nofolder/*", search));
    EXPECT_EQ(std::string(database.GetFileName("sub/x.probe").c_str()), "kivtestasset/sub/x.probe");
}

TEST_F(ResourceDatabaseTest, TheCacheSharesResourcesAndDumpsOnlyUnheldOnes) {
    temp.WriteFile("asset/kept.probe", "1");
    temp.WriteFile("asset/locked.probe", "2");
    temp.WriteFile("asset/free.probe", "3");
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
    Kiv::Resource* kept = database.Get(Kiv::PString("kept.probe"));
    EXPECT_EQ(database.Get(Kiv::PString("KEPT.probe"), 0), kept);  // cached: same object
    kept->Release();
    Kiv::Resource* locked = database.Get(Kiv::PString("locked.probe"));
    ASSERT_TRUE(locked->Lock());
    locked->Release();  // only the cache references it now, but it is locked
    database.Get(Kiv::PString("free.probe"))->Release();
    EXPECT_EQ(database.Get(Kiv::PString("never.probe"), 0), nullptr);  // no create flag
    EXPECT_EQ(g_probe.live, 3);

    EXPECT_EQ(system.DumpUnusedResourcesFromCache(), 1u);
    EXPECT_EQ(g_probe.live, 2);
    EXPECT_EQ(system.GetCacheSize(), 2u);
    locked->Unlock();
    EXPECT_EQ(system.DumpUnusedResourcesFromCache(), 1u);
    EXPECT_EQ(g_probe.live, 1);
    kept->Release();
    EXPECT_EQ(system.DumpUnusedResourcesFromCache(), 1u);
    EXPECT_EQ(g_probe.live, 0);
}

TEST_F(ResourceDatabaseTest, OneUnusedResourceCanBeDumpedByName) {
    temp.WriteFile("asset/one.probe", "1");
    temp.WriteFile("asset/two.probe", "2");
    Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
    Kiv::Resource* one = database.Get(Kiv::PString("one.probe"));
    database.Get(Kiv::PString("two.probe"))->Release();
    EXPECT_FALSE(system.DumpUnusedResource(&database, "one.probe"));  // still held
    one->Release();
    EXPECT_TRUE(system.DumpUnusedResource(&database, "ONE.probe"));
    EXPECT_FALSE(system.DumpUnusedResource(&database, "one.probe"));  // gone already
    EXPECT_EQ(g_probe.live, 1);
    EXPECT_EQ(system.GetCacheSize(), 1u);
}

TEST_F(ResourceDatabaseTest, ADatabaseThatGoesDetachesTheResourcesStillHeld) {
    temp.WriteFile("asset/held.probe", "1");
    Kiv::Resource* held = nullptr;
    {
        Kiv::ResourceDatabase database(Kiv::PString("kivtestasset"));
        held = database.Get(Kiv::PString("held.probe"));
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(held->GetDatabase(), &database);
    }
    EXPECT_EQ(system.GetCacheSize(), 0u);
    EXPECT_EQ(held->GetDatabase(), nullptr);
    EXPECT_EQ(held->GetOwnerName(), Kiv::PString("kivtestasset"));
    EXPECT_FALSE(held->Lock());  // nothing left to load from
    held->Release();
    EXPECT_EQ(g_probe.live, 0);
}

}  // namespace
