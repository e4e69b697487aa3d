// The command host's jobs run through CommandHostCallback against the in-process stand-in
// daemon over a real asset table: the save job writes a 'karc' file of the assets that have
// a config and replies 0 when one was left out; the install job installs the listed entries
// of a file and replies the ones it did not install; damaged files, short payloads, an
// unknown job and an output file that cannot be made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "client/host/command_host_callback.h"
#include "client/host/kav_archive_reader.h"
#include "foundation/streams/t_file.h"
#include "host_test_support.h"
#include "karc_test_support.h"
#include "content3d/resource_database.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/script_system_seam.h"
#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/spec_manager.h"

namespace {

using namespace karc_test;
using KodrinUtil::CommandHostCallback;

struct Reply {
    bool sent = false;
    std::vector<std::string> entries; // "<kind> <subject>"
    BufferStream rest;                // after the log
};

// Job 2 or 3: int32 id, int32 tag, PString path, int32 count, the KUIDs.
void WriteArchiveJob(TStream& job, int32_t id, int32_t tag, const std::string& path,
                     const std::vector<KUID>& kuids, int32_t count) {
    job.WriteInt32(id);
    job.WriteInt32(tag);
    job.WritePString(Kiv::PString(path.c_str()));
    job.WriteInt32(count);
    for (const KUID& kuid : kuids)
        kuid.WriteBinary(job);
}

class CommandHostCallbackTest : public HostDaemonTest {
  protected:
    void SetUp() override {
        HostDaemonTest::SetUp();
        StartDaemon(kTwoWagonsSeed);
    }

    void Run(BufferStream& job, Reply& reply) {
        job.Stream().Rewind();
        BufferStream out;
        reply.sent = CommandHostCallback(job.Stream(), out.Stream());
        out.Stream().Rewind();
        ResultsLog log;
        log.Read(out.Stream());
        reply.entries = EntryLines(log);
        const int64_t left = out.Stream().Size() - out.Stream().Tell();
        std::vector<uint8_t> bytes(static_cast<size_t>(left));
        out.Stream().ReadBytes(bytes.data(), bytes.size());
        reply.rest.Stream().WriteBytes(bytes.data(), bytes.size());
        reply.rest.Stream().Rewind();
    }
    void RunArchiveJob(int32_t id, int32_t tag, const std::string& path,
                       const std::vector<KUID>& kuids, Reply& reply) {
        BufferStream job;
        WriteArchiveJob(job.Stream(), id, tag, path, kuids, static_cast<int32_t>(kuids.size()));
        Run(job, reply);
    }
    static int32_t Int(Reply& reply) {
        int32_t value = -1;
        reply.rest.Stream().ReadInt32(value, -1);
        return value;
    }
    // The reply of the install job: the KUIDs not installed.
    static std::vector<KUID> Left(Reply& reply) {
        const int32_t count = Int(reply);
        std::vector<KUID> kuids;
        for (int32_t i = 0; i < count; ++i)
            kuids.push_back(KUID::ReadBinary(reply.rest.Stream()));
        return kuids;
    }
    std::string WriteArchive(const std::string& name, const Bytes& bytes) {
        folder_.WriteFile(name, std::string(bytes.begin(), bytes.end()));
        return folder_.Path(name);
    }
    // An entry whose files tree holds notes.txt.
    static ACSChunkRef AssetWithNotes(const KUID& kuid) {
        ACSChunkRef soup = ConfigOf(kuid);
        soup.SetNamedTagString("username", "Archived");
        ACSChunkRef files;
        files.EnsureContainer();
        ACSChunkRef folder;
        folder.EnsureContainer();
        files.SetNamedSoup("docs", folder);
        soup.SetNamedSoup("files", files);
        return soup;
    }
};

// The second asset is unknown, so its entry has no "kuid": two entries, the terminator,
// and the reply 0.
TEST_F(CommandHostCallbackTest, SaveWritesTheAssetsThatHaveAConfigAndRepliesZeroOtherwise) {
    const std::string path = folder_.Path("out.karc");
    const size_t mark = Mark();
    Reply reply;
    RunArchiveJob(2, 77, path, {KUID(12, 1, 0), KUID(12, 9, 0), KUID(12, 2, 0)}, reply);
    ASSERT_TRUE(reply.sent);
    EXPECT_EQ(Int(reply), 0);
    EXPECT_EQ(PayloadsSince(mark, 48).size(), 3u);

    TFile file;
    file.Open(path.c_str(), TFile::kModeReadShared);
    ASSERT_TRUE(file.IsOpen());
    KAVArchiveHeader header;
    std::vector<KUID> entries;
    EXPECT_EQ(ReadKAVArchive(file, 77, header,
                             [&](const KUID& kuid, TStream&) { entries.push_back(kuid); }),
              KAVArchiveRead::kComplete);
    EXPECT_EQ(entries, (std::vector<KUID>{KUID(12, 1, 0), KUID(12, 2, 0)}));
    EXPECT_TRUE(header.thisBuild);
    const std::string bytes = folder_.ReadFile("out.karc");
    EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string(8, '\xFF')); // the null KUID
    EXPECT_EQ(bytes.substr(20, 8), std::string("\x01\0\0\0\x0C\0\0\0", 8));

    Reply all;
    RunArchiveJob(2, 77, path, {KUID(12, 1, 0)}, all);
    EXPECT_EQ(Int(all), 1);
}

TEST_F(CommandHostCallbackTest, SaveToAFileThatCannotBeMadeFailsWithoutAskingForAssets) {
    const size_t mark = Mark();
    Reply reply;
    RunArchiveJob(2, 77, folder_.Path("missing/folder/out.karc"), {KUID(12, 1, 0)}, reply);
    ASSERT_TRUE(reply.sent);
    EXPECT_EQ(reply.entries, std::vector<std::string>{"3 -"});
    EXPECT_EQ(Int(reply), 0);
    EXPECT_TRUE(PayloadsSince(mark, 48).empty());
}

// A version-0 file: its entries install with options 2 (commit flags 0); a listed asset
// missing from the file comes back in the reply.
TEST_F(CommandHostCallbackTest, InstallTakesTheListedEntriesAndRepliesTheOnesLeft) {
    const KUID fresh(12, 60, 0);
    const KUID unlisted(12, 61, 0);
    const KUID missing(12, 62, 0);
    const std::string path = WriteArchive(
        "in.karc", Archive(0, 0.0f, 9,
                           {{fresh, AssetWithNotes(fresh)}, {unlisted, AssetWithNotes(unlisted)}}));
    const size_t mark = Mark();
    Reply reply;
    RunArchiveJob(3, 9, path, {fresh, missing}, reply);
    ASSERT_TRUE(reply.sent);
    EXPECT_EQ(reply.entries, std::vector<std::string>{"4 <kuid:12:60>"});
    EXPECT_EQ(Left(reply), std::vector<KUID>{missing});
    ASSERT_TRUE(table_->Find(fresh));
    EXPECT_FALSE(table_->Find(fresh)->editing);
    EXPECT_FALSE(table_->Find(unlisted));
    const std::vector<std::string> commits = PayloadsSince(mark, 34);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].substr(16), "00000000");

    // Made by this build: options 10, so the commit passes flag 8 on.
    const KUID newer(12, 63, 0);
    const std::string current =
        WriteArchive("current.karc", Archive(1, 3.3f, 9, {{newer, AssetWithNotes(newer)}}));
    const size_t second = Mark();
    Reply again;
    RunArchiveJob(3, 9, current, {newer}, again);
    EXPECT_TRUE(Left(again).empty());
    ASSERT_EQ(PayloadsSince(second, 34).size(), 1u);
    EXPECT_EQ(PayloadsSince(second, 34)[0].substr(16), "08000000");
}

// An entry filed under one KUID whose soup names another is not installed.
TEST_F(CommandHostCallbackTest, AnEntryWhoseSoupNamesAnotherAssetIsNotInstalled) {
    const KUID filed(12, 70, 0);
    const std::string path =
        WriteArchive("odd.karc", Archive(1, 3.3f, 9, {{filed, AssetWithNotes(KUID(12, 71, 0))}}));
    Reply reply;
    RunArchiveJob(3, 9, path, {filed}, reply);
    EXPECT_EQ(Left(reply), std::vector<KUID>{filed});
    EXPECT_FALSE(table_->Find(KUID(12, 71, 0)));
}

TEST_F(CommandHostCallbackTest, DamagedArchivesInstallNothingAndSaySo) {
    const KUID fresh(12, 60, 0);
    Bytes longer = Archive(1, 3.3f, 9, {{fresh, AssetWithNotes(fresh)}});
    longer.push_back(0); // the end offset is now one byte short of the size
    const std::string damaged = WriteArchive("damaged.karc", longer);
    const std::string future =
        WriteArchive("future.karc", Archive(2, 0.0f, 9, {{fresh, AssetWithNotes(fresh)}}));
    for (const std::string& path : {damaged, future, folder_.Path("absent.karc")}) {
        SCOPED_TRACE(path);
        const size_t mark = Mark();
        Reply reply;
        RunArchiveJob(3, 9, path, {fresh}, reply);
        ASSERT_TRUE(reply.sent);
        EXPECT_EQ(reply.entries, std::vector<std::string>{"3 -"});
        EXPECT_EQ(Left(reply), std::vector<KUID>{fresh});
        EXPECT_TRUE(RequestIdsSince(mark).empty());
    }
}

// A payload cut anywhere, or a KUID count beyond it, gets no reply and touches nothing.
TEST_F(CommandHostCallbackTest, ShortPayloadsGetNoReply) {
    BufferStream full;
    WriteArchiveJob(full.Stream(), 2, 77, folder_.Path("short.karc"), {KUID(12, 1, 0)}, 1);
    const std::string whole(reinterpret_cast<const char*>(full.Buffer().GetData()),
                            static_cast<size_t>(full.Stream().Tell()));
    const size_t mark = Mark();
    for (size_t size = 0; size < whole.size(); ++size) {
        BufferStream job;
        job.Stream().WriteBytes(whole.data(), size);
        Reply reply;
        Run(job, reply);
        EXPECT_FALSE(reply.sent) << size;
    }
    BufferStream overcounted;
    WriteArchiveJob(overcounted.Stream(), 3, 77, folder_.Path("short.karc"), {KUID(12, 1, 0)}, 2);
    Reply reply;
    Run(overcounted, reply);
    EXPECT_FALSE(reply.sent);
    EXPECT_TRUE(RequestIdsSince(mark).empty());
    EXPECT_FALSE(folder_.Exists("short.karc"));
}

// An unknown job is not answered, and the spec registry is still shut down after it.
TEST_F(CommandHostCallbackTest, AnUnknownJobGetsNoReplyAndStillShutsTheSpecsDown) {
    SpecManager* specs = SpecManager::Instance();
    ASSERT_NE(specs, nullptr);
    ACSChunkRef config;
    config.SetNamedTagString("kind", "scenery");
    GizmorixSpec* unused = specs->CreateSpec(Kiv::PString(), "", "unused", config, KUID(5, 6, 0));
    ASSERT_NE(unused, nullptr);
    unused->Release();
    ASSERT_EQ(specs->LiveCount(), 1u);
    BufferStream job;
    job.Stream().WriteInt32(7);
    Reply reply;
    Run(job, reply);
    EXPECT_FALSE(reply.sent);
    EXPECT_EQ(specs->LiveCount(), 0u);
}

// A template folder of one kind, "traincar", whose configs hold a kuid, a kind and a
// username.
constexpr const char* kTraincarTemplate = R"(traincar
{
  top-level 1
  subpossibilities
  {
    kuid
    {
      kind "value"
      type "kuid"
    }
    kind
    {
      kind "value"
      type "string"
    }
    username
    {
      kind "value"
      type "string"
    }
    kodrin-build
    {
      kind "value"
      type "float"
    }
  }
}
)";

// A script-system set-up that succeeds: the asset of these tests has no scripts.
class ReadyScriptSystem : public ValidationScriptSystemSeam {
  public:
    bool InitScriptSystem() override { return true; }
};

// The validation library over the daemon's installation for one test: its user-data
// locations, an error handler, a data manager on a template folder of one kind and a
// script-system set-up.
class ValidationScope {
  public:
    explicit ValidationScope(const std::string& install) {
        std::filesystem::create_directories(install + "/VAVIrov");
        std::ofstream(install + "/VAVIrov/kind.txt") << kTraincarTemplate;
        KAVUserData::SetInstallPath(Kiv::File::Path(install.c_str()));
        KAVUserData::CreateFolders();
        DAROdi::ErrorHandler::CreateInstance();
        DAROdi::DataManager::CreateInstance((install + "/VAVIrov/").c_str());
        ValidationUpwardSeams::SetScriptSystem(&scripts_);
    }
    ~ValidationScope() {
        ValidationUpwardSeams::SetScriptSystem(nullptr);
        DAROdi::DataManager::DestroyInstance();
        DAROdi::ErrorHandler::DestroyInstance();
        KAVUserData::ReleaseDatabases();
        KAVUserData::Clear();
        KodrinResourceDatabase::PurgeAll();
    }

  private:
    ReadyScriptSystem scripts_;
};

// Validation and textures: a validation's answer for an installed asset named as the
// daemon names it, and the error of a texture job whose folder cannot be searched under its
// location ("Unable to search path", result 0), travel in the reply's form.
TEST_F(CommandHostCallbackTest, ValidationAndTextureJobsReplyTheirLogAndResult) {
    const ValidationScope validation(Inst(""));
    std::ofstream(Inst("UserData/local/coal_wagon/config.txt"), std::ios::app)
        << "kind \"traincar\"\nkodrin-build 3.3\n";
    BufferStream validate;
    validate.Stream().WriteInt32(0);
    validate.Stream().WritePString("local/coal_wagon");
    validate.Stream().WritePString(Kiv::PString(Inst("UserData/local/coal_wagon").c_str()));
    Reply valid;
    Run(validate, valid);
    ASSERT_TRUE(valid.sent);
    EXPECT_TRUE(valid.entries.empty());
    bool truth = false;
    EXPECT_TRUE(valid.rest.Stream().ReadBool(truth, false));
    EXPECT_TRUE(truth);

    BufferStream textures;
    textures.Stream().WriteInt32(1);
    textures.Stream().WritePString("local/coal_wagon");
    textures.Stream().WriteString(Kiv::String(Inst("UserData/local/coal_wagon")));
    Reply converted;
    Run(textures, converted);
    ASSERT_TRUE(converted.sent);
    EXPECT_EQ(converted.entries, std::vector<std::string>{"3 -"});
    EXPECT_EQ(Int(converted), 0);
}

} // namespace
