// Security tokens: issuing, merging, validating and re-issuing, and the one native, which
// asks the specs of the granted assets whether they are locally modified.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <new>

#include "engine/log.h"
#include "native_script_support.h"
#include "script_natives/gso_security_token.h"
#include "script_natives/native_spec_access.h"
#include "script_natives/security_token_issuer.h"
#include "script_runtime/gs_array.h"

namespace {

class Issuer : public SecurityTokenIssuer {
  public:
    Issuer(KUID kuid, GSContext* context) : kuid_(kuid), context_(context) {}
    KUID IssuerKUID() const override { return kuid_; }
    GSContext* IssuerContext() const override { return context_; }

  private:
    KUID kuid_;
    GSContext* context_;
};

// Specs for some KUIDs, each saying whether its asset is locally modified.
class ModifiedSpecs : public NativeSpecAccess {
  public:
    KodrinBaseSpec* GetKodrinBaseSpec(const KUID& kuid) override {
        auto found = modified.find(kuid);
        if (found == modified.end()) return nullptr;
        ++uses;
        return reinterpret_cast<KodrinBaseSpec*>(&found->second);
    }
    void AddUse(KodrinBaseSpec*) override { ++uses; }
    void ReleaseUse(KodrinBaseSpec*) override { --uses; }
    ACSChunkRef GetConfig(KodrinBaseSpec*) override { return ACSChunkRef(); }
    bool IsLocallyModified(KodrinBaseSpec* spec) override { return *reinterpret_cast<bool*>(spec); }

    std::map<KUID, bool> modified;
    int uses = 0;
};

using Rights = std::set<std::string>;

class SecurityTokenTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override {
        LoadScript("include \"securitytoken.gs\"\n"
                   "class Test { public bool Modified(SecurityToken t) { return t.IsOwnerLocallyModified(); } };\n");
    }
    void TearDown() override {
        for (GSObjectReference* made : made_) GSReleaseReference(made->GetReference());
        made_.clear();
        ScriptCallTest::TearDown();
    }

    // A string array of the rights; the test releases it at its end.
    GSArray* RightsArray(std::vector<const char*> rights) {
        auto* array = new GSArray(&context_, GSArray::kReferences);
        for (size_t i = 0; i < rights.size(); ++i) {
            GSSlot* text = rights[i] ? (new GSString(&context_, rights[i]))->GetReference() : nullptr;
            array->SetObject(static_cast<int32_t>(i), text, false, nullptr);
        }
        made_.push_back(array);
        return array;
    }
    GSArray* TokenArray(std::vector<GSOSecurityToken*> tokens) {
        auto* array = new GSArray(&context_, GSArray::kReferences);
        for (size_t i = 0; i < tokens.size(); ++i)
            array->SetObject(static_cast<int32_t>(i), tokens[i] ? tokens[i]->GetInstance() : nullptr, true, nullptr);
        made_.push_back(array);
        return array;
    }
    GSOSecurityToken* Kept(GSOSecurityToken* token) {
        if (token) made_.push_back(token);
        return token;
    }
    GSOSecurityToken* Issue(const Issuer& issuer, const KUID& kuid, std::vector<const char*> rights) {
        return Kept(GSOSecurityToken::Issue(kuid, &context_, &issuer, RightsArray(std::move(rights))));
    }
    static Rights RightsOf(const GSOSecurityToken& token, const Issuer& issuer, const KUID& kuid) {
        Rights rights;
        const auto grants = token.AllGrants().find(issuer.IssuerSerial());
        if (grants == token.AllGrants().end()) return rights;
        const auto granted = grants->second.find(kuid);
        if (granted == grants->second.end()) return rights;
        for (const Kiv::PString& right : granted->second) rights.insert(std::string(right.View()));
        return rights;
    }

    std::vector<GSObjectReference*> made_;
    Issuer a_{KUID(10, 1, 0), &context_};
    Issuer b_{KUID(20, 2, 0), &context_};
    const KUID asset_{30, 3, 0};
};

TEST_F(SecurityTokenTest, IssuedRightsAreValidOnlyForTheirIssuer) {
    GSOSecurityToken* token = Issue(a_, asset_, {"read", "read", nullptr, "write"});
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(RightsOf(*token, a_, asset_), (Rights{"read", "write"}));
    EXPECT_TRUE(GSOSecurityToken::Validate(*token, &a_, asset_, Kiv::PString("read")));
    EXPECT_FALSE(GSOSecurityToken::Validate(*token, &b_, asset_, Kiv::PString("read")));
    EXPECT_FALSE(GSOSecurityToken::Validate(*token, &a_, KUID(30, 3, 1), Kiv::PString("read")));
    EXPECT_FALSE(GSOSecurityToken::Validate(*token, &a_, asset_, Kiv::PString("delete")));
}

// An issuer made in the storage of a deleted one is another issuer: the old grants are not
// its own, and no issuer validates without one.
TEST_F(SecurityTokenTest, AnIssuerAtTheAddressOfADeletedOneInheritsNothing) {
    alignas(Issuer) unsigned char storage[sizeof(Issuer)];
    auto* first = new (storage) Issuer(KUID(40, 4, 0), &context_);
    GSOSecurityToken* token = Issue(*first, asset_, {"read"});
    ASSERT_NE(token, nullptr);
    EXPECT_TRUE(GSOSecurityToken::Validate(*token, first, asset_, Kiv::PString("read")));
    const uint64_t firstSerial = first->IssuerSerial();
    first->~Issuer();
    auto* second = new (storage) Issuer(KUID(40, 4, 0), &context_);
    EXPECT_GT(second->IssuerSerial(), firstSerial);
    EXPECT_FALSE(GSOSecurityToken::Validate(*token, second, asset_, Kiv::PString("read")));
    EXPECT_EQ(GSOSecurityToken::ReIssueToken(*token, *second, asset_, RightsArray({"read"})), nullptr)
        << "it did not issue the token";
    second->~Issuer();
    EXPECT_FALSE(GSOSecurityToken::Validate(*token, nullptr, asset_, Kiv::PString("read")));
}

TEST_F(SecurityTokenTest, MergingUnitesTheGrants) {
    const KUID other(31, 3, 0);
    GSOSecurityToken* merged = Kept(GSOSecurityToken::Merge(
        b_, TokenArray({nullptr, Issue(a_, asset_, {"read"}), Issue(a_, asset_, {"write"}), Issue(a_, other, {"x"}),
                        Issue(b_, asset_, {"y"})})));
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(RightsOf(*merged, a_, asset_), (Rights{"read", "write"}));
    EXPECT_EQ(RightsOf(*merged, a_, other), (Rights{"x"}));
    EXPECT_EQ(RightsOf(*merged, b_, asset_), (Rights{"y"}));
    EXPECT_EQ(GSOSecurityToken::Merge(a_, TokenArray({nullptr})), nullptr);
}

// Re-issue: the issuer narrows only its grant to its own asset; a library granted
// "duplicate-token" for its own asset re-issues with an empty grant of its own; anyone else
// is refused with a log line that names its KUID.
TEST_F(SecurityTokenTest, ReIssueFollowsTheIssuerAndTheDuplicateRight) {
    GSOSecurityToken* token = Kept(GSOSecurityToken::Merge(
        a_, TokenArray({Issue(a_, a_.IssuerKUID(), {"read", "write"}), Issue(a_, asset_, {"read", "write"})})));
    ASSERT_NE(token, nullptr);
    GSOSecurityToken* narrowed =
        Kept(GSOSecurityToken::ReIssueToken(*token, a_, asset_, RightsArray({"read", "other"})));
    ASSERT_NE(narrowed, nullptr);
    EXPECT_EQ(RightsOf(*narrowed, a_, a_.IssuerKUID()), (Rights{"read"}));
    EXPECT_EQ(RightsOf(*narrowed, a_, asset_), (Rights{"read", "write"}));
    EXPECT_EQ(RightsOf(*token, a_, a_.IssuerKUID()), (Rights{"read", "write"})) << "the source is unchanged";
    EXPECT_EQ(GSOSecurityToken::ReIssueToken(*token, a_, asset_, RightsArray({})), nullptr);

    GSOSecurityToken* duplicable = Issue(a_, b_.IssuerKUID(), {"duplicate-token"});
    GSOSecurityToken* copy = Kept(GSOSecurityToken::ReIssueToken(*duplicable, b_, asset_, RightsArray({"read"})));
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->AllGrants().count(b_.IssuerSerial()), 1u);
    EXPECT_EQ(copy->AllGrants().at(b_.IssuerSerial()).size(), 1u);
    EXPECT_EQ(RightsOf(*copy, b_, asset_), Rights{});
    EXPECT_EQ(RightsOf(*copy, a_, b_.IssuerKUID()), (Rights{"duplicate-token"}));
}

TEST_F(SecurityTokenTest, AnUnauthorisedReIssueIsLoggedAndRefused) {
    const std::filesystem::path log = std::filesystem::path(folder_.Path()) / "log.txt";
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + log.string()).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    const Issuer versioned(KUID(20, 2, 4), &context_);
    GSOSecurityToken* token = Issue(a_, asset_, {"read"});
    EXPECT_EQ(GSOSecurityToken::ReIssueToken(*token, versioned, asset_, RightsArray({"read"})), nullptr);
    Kiv::Log::Shutdown();
    std::ifstream in(log);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("GSOSecurityToken::ReIssueToken> Unauthorised attempt made to re-issue security token "
                        "(<kuid2:20:2:4>)"),
              std::string::npos)
        << text;
}

TEST_F(SecurityTokenTest, IsOwnerLocallyModifiedAsksTheGrantedAssetsSpecs) {
    ModifiedSpecs specs;
    SetNativeSpecs(&specs);
    GSOSecurityToken* token = Kept(GSOSecurityToken::Merge(
        a_, TokenArray({Issue(a_, asset_, {"read"}), Issue(b_, KUID(40, 4, 0), {"read"})})));
    ASSERT_NE(token, nullptr);
    const auto modified = [&] {
        GSAddReference(token->GetInstance());
        return CallInt("$bool@Test::Modified(SecurityToken)", {GSPointerSlot(token->GetInstance())});
    };
    EXPECT_EQ(modified(), 0) << "no granted asset has a spec";
    specs.modified[asset_] = false;
    EXPECT_EQ(modified(), 0);
    specs.modified[KUID(40, 4, 0)] = true;
    EXPECT_EQ(modified(), 1);
    EXPECT_EQ(specs.uses, 0);
    SetNativeSpecs(nullptr);
}

}  // namespace
