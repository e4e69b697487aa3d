// The spec manager against the in-process stand-in daemon: GetSpecForKUID resolving and
// locating an asset, remembering misses until Shutdown (counted by the request hooks), and
// the leaked-spec lines of Shutdown with the name the daemon gives.
#include "kav_requests_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/log.h"
#include "engine/options.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_factory.h"
#include "validation/specs/spec_lookup.h"
#include "validation/specs/spec_manager.h"

namespace {

// A record of request 21 for kuid with the given name, every other field at its zero.
Bytes NameRecord(int32_t user, int32_t content, const std::string& name) {
    return Concat({KuidBytes(user, content, 0), Str(name), Str(""), Str(""), Bytes(8, 0),
                   Bytes(8, 0), Bytes(2, 0), Le32(0), PStr(""), Str(""), Le32(0), PStr(""),
                   Str(""), Bytes(3, 0), Le32(0), Le32(0), Le64(0), Le64(0),
                   KuidBytes(-1, -1, 127), Byte(1)});
}

// A spec that loads invalid, made for the kind "broken".
class InvalidSpec : public GizmorixSpec {
  public:
    using GizmorixSpec::GizmorixSpec;
    bool IsValid() override { return false; }
};

class BrokenFactory : public GZSpecFactory {
  public:
    BrokenFactory() : GZSpecFactory(Kiv::PString("broken")) {}
    GizmorixSpec* Create(const Kiv::PString& location, const Kiv::String& basePath,
                         const Kiv::String& folderName, const KUID& kuid,
                         const ACSChunkRef& config) override {
        return new InvalidSpec(kuid, location, basePath, folderName, config);
    }
};

class SpecLookupTest : public KAVRequestsTest {
  protected:
    void SetUp() override {
        KAVRequestsTest::SetUp();
        char pattern[] = "/tmp/spec_lookup_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        manager_ = SpecManager::Instance();
        ASSERT_NE(manager_, nullptr);
    }
    void TearDown() override {
        KAVRequestsTest::TearDown();
        std::filesystem::remove_all(folder_);
    }
    // An asset folder with a config of kind; its path.
    std::string WriteAsset(const std::string& name, const std::string& kind) {
        const std::string path = folder_ + "/" + name;
        std::filesystem::create_directories(path);
        std::ofstream(path + "/config.txt") << "kind \"" << kind << "\"\n";
        return path;
    }
    void AnswerLocation(const std::string& path) { Answer(23, Concat({PStr(""), Str(path)})); }

    std::string folder_;
    SpecManager* manager_ = nullptr;
};

// The daemon resolves (1, 10) to (1, 11); the spec is made under (1, 11) from the located
// folder, and the second ask finds it live without locating again.
TEST_F(SpecLookupTest, ResolvedKUIDIsLocatedOnceAndThenFoundLive) {
    Answer(26, KuidBytes(1, 11, 0));
    AnswerLocation(WriteAsset("wagon", "traincar"));
    GizmorixSpec* spec = GetKodrinBaseSpec(KUID(1, 10, 0), false);
    ASSERT_NE(spec, nullptr);
    EXPECT_EQ(spec->GetKUID(), KUID(1, 11, 0));
    EXPECT_TRUE(spec->IsValidFlagSet());
    EXPECT_EQ(OnlyPayload(26), KuidBytes(1, 10, 0));
    EXPECT_EQ(OnlyPayload(23), Concat({KuidBytes(1, 11, 0), Byte(0)}));
    GizmorixSpec* again = GetKodrinBaseSpec(KUID(1, 10, 0), false);
    EXPECT_EQ(again, spec);
    EXPECT_EQ(Payloads(23).size(), 1u);
    EXPECT_EQ(Payloads(26).size(), 1u);  // remembered
    EXPECT_EQ(GetLibrarySpec(KUID(1, 10, 0), false), nullptr);
    spec->Release();
    again->Release();
}

// An invalid spec answers null; later asks come from memory without a daemon request;
// after Shutdown the daemon is asked again.
TEST_F(SpecLookupTest, InvalidSpecIsRememberedUntilShutdown) {
    manager_->RegisterFactory(new BrokenFactory);
    Answer(26, KuidBytes(2, 20, 0));
    AnswerLocation(WriteAsset("broken", "broken"));
    EXPECT_EQ(manager_->GetSpecForKUID(KUID(2, 20, 0), nullptr, false), nullptr);
    EXPECT_EQ(manager_->InvalidCount(), 1u);
    EXPECT_EQ(manager_->GetSpecForKUID(KUID(2, 20, 0), nullptr, false), nullptr);
    EXPECT_EQ(Payloads(26).size(), 1u);
    EXPECT_EQ(Payloads(23).size(), 1u);
    manager_->Shutdown();
    EXPECT_EQ(manager_->InvalidCount(), 0u);
    // The factory went with Shutdown: the asset now makes a plain, valid spec.
    GizmorixSpec* spec = manager_->GetSpecForKUID(KUID(2, 20, 0), nullptr, false);
    EXPECT_NE(spec, nullptr);
    EXPECT_EQ(Payloads(26).size(), 2u);
    EXPECT_EQ(Payloads(23).size(), 2u);
    if (spec) spec->Release();
}

// An asset the daemon cannot locate is remembered as a miss; the null KUID asks nothing.
TEST_F(SpecLookupTest, UnlocatedAssetIsAMissWithoutFurtherRequests) {
    Answer(26, KuidBytes(3, 30, 0));
    AnswerLocation("");
    EXPECT_EQ(GetKodrinBaseSpec(KUID(3, 30, 0), false), nullptr);
    EXPECT_EQ(GetKodrinBaseSpec(KUID(3, 30, 0), false), nullptr);
    EXPECT_EQ(GetKodrinBaseSpec(KUID::Null(), false), nullptr);
    EXPECT_EQ(Payloads(26).size(), 1u);
    EXPECT_EQ(Payloads(23).size(), 1u);
}

// A spec still held at Shutdown is logged and kept; once released the next Shutdown
// deletes it.
TEST_F(SpecLookupTest, ShutdownLogsLeakedSpecsAndKeepsThem) {
    Answer(21, NameRecord(5, 6, "Coal wagon"));
    const std::string logPath = folder_ + "/log.txt";
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    ACSChunkRef config;
    config.SetNamedTagString("kind", "scenery");
    GizmorixSpec* spec = manager_->CreateSpec(Kiv::PString(), "", "wagon", config, KUID(5, 6, 0));
    spec->AddUse();
    manager_->Shutdown();
    EXPECT_EQ(manager_->FindSpecLocked(KUID(5, 6, 0)), spec);
    spec->Release();
    spec->Release();
    manager_->Shutdown();
    Kiv::Log::Shutdown();
    EXPECT_EQ(manager_->LiveCount(), 0u);
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Leaked specs:\n  (   2) - <kuid:5:6> \"Coal wagon\"\n");
}

} // namespace
