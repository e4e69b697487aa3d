// KAVIpc against the block files of a private IPC folder. The test reads and writes the
// block file itself (pread/pwrite, little-endian by hand), so it sees what another process
// would: the exact names and their hashed files, the initial values, joining and the
// attach count's low byte, the refuse flag, the holder role and the clearing of dead ids,
// and the port lookup of one connection attempt.
#include "link/kav/kav_ipc.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "link/kav/kav_user_data.h"
#include "engine/ascii.h"
#include "engine/log.h"
#include "engine/options.h"
#include "kav_test_installation.h"

namespace {

namespace fs = std::filesystem;

// FNV-1a 64 as 16 hex digits, written out here independently of the code under test.
std::string HandFnv1a64(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    static const char digits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[i] = digits[hash & 0xF];
    return hex;
}

// A process id that cannot exist: one above the system's largest.
int32_t DeadPid() {
    std::ifstream in("/proc/sys/kernel/pid_max");
    int32_t pidMax = 0;
    in >> pidMax;
    return pidMax + 1;
}

constexpr int kHolder = 0, kOwner = 4, kRequester = 8, kReserved12 = 12, kVersion = 16, kCount = 20,
              kRefuse = 24, kReserved28 = 28, kPort = 32;

class KAVIpcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.Ok());
        ASSERT_TRUE(KAVUserData::SetInstallPath(installation_.Install().c_str()));
        databasePath_ = KAVUserData::GetDatabasePath();
        const std::string folder = installation_.Install();
        mutexName_ = "09731AC6-B611-4e2a-B181-578073F64F24" + folder + "/UserData";
        blockName_ = mutexName_ + "/-ipc2";
    }
    void TearDown() override { KAVUserData::Clear(); }

    std::string IpcFile(const std::string& name, const char* ending) const {
        return installation_.Ipc() + "/kav-" + HandFnv1a64(name) + ending;
    }
    std::string BlockFile() const { return IpcFile(blockName_, ".blk"); }

    int32_t Field(int offset) const {
        unsigned char bytes[4] = {};
        const int handle = open(BlockFile().c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(handle, 0);
        EXPECT_EQ(pread(handle, bytes, 4, offset), 4);
        close(handle);
        return static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                    static_cast<uint32_t>(bytes[3]) << 24);
    }
    void SetField(int offset, int32_t value) const {
        const uint32_t v = static_cast<uint32_t>(value);
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
            static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
        const int handle = open(BlockFile().c_str(), O_WRONLY | O_CLOEXEC);
        EXPECT_GE(handle, 0);
        EXPECT_EQ(pwrite(handle, bytes, 4, offset), 4);
        close(handle);
    }

    KavTestInstallation installation_;
    Kiv::File::Path databasePath_;
    std::string mutexName_;
    std::string blockName_;
};

TEST_F(KAVIpcTest, MixedCaseInstallationGivesTheExactNamesAndHashedFiles) {
    KAVDiscoveryNames names;
    ASSERT_TRUE(BuildDiscoveryNames(databasePath_.View(), names));
    EXPECT_EQ(names.mutexName, mutexName_);
    EXPECT_EQ(names.blockName, blockName_);

    KAVIpc ipc;
    ASSERT_TRUE(ipc.Attach(databasePath_));
    EXPECT_TRUE(fs::is_regular_file(IpcFile(mutexName_, ".lock")));
    EXPECT_TRUE(fs::is_regular_file(IpcFile(blockName_, ".ref")));
    EXPECT_EQ(fs::file_size(BlockFile()), 36u);
}

TEST_F(KAVIpcTest, FirstAttachInitialisesTheBlock) {
    KAVIpc ipc;
    ASSERT_TRUE(ipc.Attach(databasePath_));
    EXPECT_TRUE(ipc.IsHolder());
    const struct {
        int offset;
        int32_t value;
    } expected[] = {{kHolder, getpid()}, {kOwner, -1},     {kRequester, -1},
                    {kReserved12, 0},    {kVersion, 3},    {kCount, 1},
                    {kRefuse, 0},        {kReserved28, 0}, {kPort, 0}};
    for (const auto& field : expected)
        EXPECT_EQ(Field(field.offset), field.value) << field.offset;
}

TEST_F(KAVIpcTest, DatabasePathMustNameAssetsTdxInAnExistingFolder) {
    KAVIpc ipc;
    std::string upper = databasePath_.c_str();
    for (char& c : upper)
        c = Kiv::Ascii::ToUpper(c);
    EXPECT_TRUE(ipc.Attach(upper.c_str()));
    ipc.Detach();
    const std::string refused[] = {
        std::string(databasePath_.c_str()) + "\\assets.tdx", // the name twice
        installation_.Path("Missing/assets.tdx"),
        installation_.Path("UserData/assets.tdb"),
    };
    for (const std::string& path : refused) {
        EXPECT_FALSE(ipc.Attach(path.c_str())) << path;
        EXPECT_FALSE(ipc.IsAttached()) << path;
    }
}

TEST_F(KAVIpcTest, TwoAttachersSeeOneBlock) {
    KAVIpc first;
    KAVIpc second;
    ASSERT_TRUE(first.Attach(databasePath_));
    ASSERT_TRUE(second.Attach(databasePath_));
    EXPECT_FALSE(second.IsHolder()); // the first holder is alive
    EXPECT_EQ(Field(kCount) & 0xFF, 2);

    SetField(kPort, 5555);
    EXPECT_EQ(first.GetDaemonPort(), 5555);
    EXPECT_EQ(second.GetDaemonPort(), 5555);

    // This process recorded as the owner: the port is not for it.
    SetField(kOwner, getpid());
    EXPECT_TRUE(second.IsDatabaseOwner());
    EXPECT_EQ(second.GetDaemonPort(), 0);
    second.ClearDatabaseOwner();
    EXPECT_EQ(Field(kOwner), -1);
    EXPECT_EQ(first.GetDaemonPort(), 5555);
}

TEST_F(KAVIpcTest, JoiningChangesOnlyTheAttachCountsLowByte) {
    KAVIpc first;
    ASSERT_TRUE(first.Attach(databasePath_));
    const struct {
        int32_t version;
        int32_t holder;
        uint32_t count;
        uint32_t expected;
    } cases[] = {
        {3, getpid(), 0x0A0B0CFFu, 0x0A0B0C00u}, // wraps, upper bytes kept
        {3, getpid(), 0x00000005u, 0x00000006u},
        {1, getpid(), 0x7F0000FEu, 0x7F0000FFu},
        {0, getpid(), 0x11223344u, 0x112233FFu}, // nobody initialised, but a holder
    };
    for (const auto& c : cases) {
        SetField(kVersion, c.version);
        SetField(kHolder, c.holder);
        SetField(kCount, static_cast<int32_t>(c.count));
        KAVIpc joiner;
        ASSERT_TRUE(joiner.Attach(databasePath_));
        EXPECT_EQ(static_cast<uint32_t>(Field(kCount)), c.expected) << std::hex << c.count;
        joiner.Detach(); // not the holder: leaves the count alone
        EXPECT_EQ(static_cast<uint32_t>(Field(kCount)), c.expected) << std::hex << c.count;
    }
}

TEST_F(KAVIpcTest, ABlockOfZerosFoundByAJoinerIsInitialisedByIt) {
    KAVIpc first;
    ASSERT_TRUE(first.Attach(databasePath_));
    for (int offset = 0; offset < 36; offset += 4)
        SetField(offset, 0);
    KAVIpc joiner;
    ASSERT_TRUE(joiner.Attach(databasePath_));
    EXPECT_TRUE(joiner.IsHolder());
    EXPECT_EQ(Field(kHolder), getpid());
    EXPECT_EQ(Field(kOwner), -1);
    EXPECT_EQ(Field(kRequester), -1);
    EXPECT_EQ(Field(kVersion), 3);
}

TEST_F(KAVIpcTest, RefuseFlagRefusesEveryAttachUntilCleared) {
    KAVIpc first;
    ASSERT_TRUE(first.Attach(databasePath_));
    SetField(kRefuse, 1);
    for (int i = 0; i < 2; ++i) {
        KAVIpc refused;
        EXPECT_FALSE(refused.Attach(databasePath_));
        EXPECT_FALSE(refused.IsAttached());
        EXPECT_EQ(refused.LookUpDaemonPort(databasePath_), 0);
    }
    EXPECT_EQ(Field(kCount), 1);
    SetField(kRefuse, 0);
    KAVIpc later;
    EXPECT_TRUE(later.Attach(databasePath_));
}

TEST_F(KAVIpcTest, AJoinerClaimsTheHolderRoleFromNoOrADeadHolder) {
    KAVIpc first;
    ASSERT_TRUE(first.Attach(databasePath_));
    // 0 and -1 are never live processes (kill would reach a group or everything).
    for (int32_t holder : {0, -1, DeadPid()}) {
        SetField(kHolder, holder);
        KAVIpc joiner;
        ASSERT_TRUE(joiner.Attach(databasePath_));
        EXPECT_TRUE(joiner.IsHolder()) << holder;
        EXPECT_EQ(Field(kHolder), getpid()) << holder;
    }
}

TEST_F(KAVIpcTest, TheNewHolderClearsADeadOwnerAndRequesterWithLogLines) {
    const std::string logPath = installation_.Root() + "/log.txt";
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));

    KAVIpc first;
    ASSERT_TRUE(first.Attach(databasePath_));
    const int32_t dead = DeadPid();
    SetField(kHolder, dead);
    SetField(kOwner, dead);
    SetField(kRequester, 0);
    SetField(kPort, 7000);
    KAVIpc joiner;
    ASSERT_TRUE(joiner.Attach(databasePath_));
    Kiv::Log::Shutdown();

    EXPECT_TRUE(joiner.IsHolder());
    EXPECT_EQ(Field(kOwner), -1);
    EXPECT_EQ(Field(kRequester), -1);
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "IPCIdle> clearing dead database owner (owner processID was " +
                              std::to_string(dead) +
                              ")\nIPCIdle> clearing dead database requester (requester "
                              "processID was 0)\n");
}

TEST_F(KAVIpcTest, HolderKeepsLiveIdsAndDropsItsOwnRequest) {
    KAVIpc holder;
    ASSERT_TRUE(holder.Attach(databasePath_));
    SetField(kOwner, getppid());
    SetField(kRequester, getppid());
    holder.IPCIdle();
    EXPECT_EQ(Field(kOwner), getppid());
    EXPECT_EQ(Field(kRequester), getppid());

    SetField(kOwner, getpid());
    SetField(kRequester, getpid());
    holder.IPCIdle();
    EXPECT_EQ(Field(kOwner), getpid());
    EXPECT_EQ(Field(kRequester), -1);
}

TEST_F(KAVIpcTest, HolderDetachClearsItsRoleAndLowersTheCount) {
    KAVIpc holder;
    KAVIpc other;
    ASSERT_TRUE(holder.Attach(databasePath_));
    ASSERT_TRUE(other.Attach(databasePath_));
    SetField(kCount, 0x00000100);
    SetField(kOwner, getpid());
    holder.Detach();
    EXPECT_FALSE(holder.IsAttached());
    EXPECT_FALSE(holder.IsHolder());
    EXPECT_EQ(Field(kHolder), -1);
    EXPECT_EQ(static_cast<uint32_t>(Field(kCount)), 0x000001FFu);
    EXPECT_EQ(Field(kOwner), -1);
    holder.Detach(); // nothing when not attached
    EXPECT_EQ(static_cast<uint32_t>(Field(kCount)), 0x000001FFu);
}

TEST_F(KAVIpcTest, PortLookupAttachesOnlyWhileItReads) {
    KAVIpc ipc;
    EXPECT_EQ(ipc.LookUpDaemonPort(databasePath_), 0); // no daemon
    EXPECT_FALSE(ipc.IsAttached());

    // A daemon stand-in keeps the block with a live owner and a port.
    KAVDiscoveryNames names;
    ASSERT_TRUE(BuildDiscoveryNames(databasePath_.View(), names));
    KAVDiscoveryObjects daemon;
    ASSERT_EQ(daemon.Open(names), KAVDiscoveryObjects::Join::kNew);
    daemon.Block().Initialise(getppid());
    daemon.Unlock();
    SetField(kOwner, getppid());
    const struct {
        int32_t port;
        int32_t found;
    } ports[] = {{6000, 6000}, {65535, 65535}, {0, 0}, {65536, 0}, {-5, 0}};
    for (const auto& p : ports) {
        SetField(kPort, p.port);
        EXPECT_EQ(ipc.LookUpDaemonPort(databasePath_), p.found) << p.port;
        EXPECT_FALSE(ipc.IsAttached());
    }
}

} // namespace
