// The blocking screen on a test kernel's null display, with a recording message pump and a
// "data" folder holding a JPEG written here: what Show, Update and Hide hand the display
// (read back from its call log, its texture objects and the vertices it kept), how the
// picture covers the target, which messages the pump drops and dispatches, and the
// resource lock's wait driving the screen. Without a kernel, as in the program, nothing
// changes. The same step of the wait dumps the resources that only the resource system's
// cache still holds.
#include "content3d/blocking_screen.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/bitmap.h"
#include "engine/file.h"
#include "engine/render_kernel.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "engine/temp_folder.h"
#include "engine/texture_stage_program.h"
#include "fake_message_pump.h"
#include "foundation/job_test_support.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/resource_lock.h"

namespace {

using Log = std::vector<std::string>;

// A grey JPEG of the given size.
std::string WriteJpeg(uint32_t width, uint32_t height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t{width} * 3, 128);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

// The lines of log from the first that equals first, up to but not including the first
// that equals end after it.
Log Between(const Log& log, const std::string& first, const std::string& end) {
    auto from = std::find(log.begin(), log.end(), first);
    auto to = std::find(from, log.end(), end);
    return Log(from, to);
}

long CountOf(const Log& log, const std::string& line) {
    return std::count(log.begin(), log.end(), line);
}

class BlockingScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.MakeFolder("data");
        WritePicture(WriteJpeg(16, 8));
        ASSERT_TRUE(Kiv::File::Subst("data", temp_.Path("data").c_str()));
        screen_.SetRenderKernelForTesting(&kernel_);
        screen_.SetMessagePumpForTesting(&pump_);
        display_.SetTargetSize(1920, 1080);
        display_.SetViewport({0, 0, 1920, 1080});
        display_.SetRecording(true);
    }
    void TearDown() override {
        screen_.SetRenderKernelForTesting(nullptr);
        screen_.SetMessagePumpForTesting(nullptr);
        Kiv::File::Subst("data");
    }

    void WritePicture(const std::string& bytes) {
        temp_.WriteFile("data/BlockingScreen.jpg", bytes);
    }
    const Log& CallLog() { return display_.GetCallLog(); }

    TempFolder temp_;
    Kiv::RenderKernel kernel_{nullptr, 1.0f};
    Kiv::Display& display_ = *kernel_.GetDisplay();
    FakeMessagePump pump_;
    BlockingScreen& screen_ = BlockingScreen::Instance();
};

TEST_F(BlockingScreenTest, WithoutAKernelNothingChanges) {
    screen_.SetRenderKernelForTesting(nullptr);
    pump_.Post(256);
    screen_.Show();
    screen_.Update();
    screen_.Show();
    screen_.Hide();
    EXPECT_EQ(screen_.GetShowCount(), 0);
    EXPECT_EQ(screen_.GetTexture(), nullptr);
    EXPECT_EQ(pump_.peeks.load(), 0);
    EXPECT_TRUE(CallLog().empty());
}

// The first Show uploads the picture, sets a plain view, draws in a frame of its own and
// puts every saved state back.
TEST_F(BlockingScreenTest, TheFirstShowLoadsDrawsAndRestores) {
    Kiv::Matrix4 view = Kiv::Matrix4::Translation({1, 2, 3});
    Kiv::Matrix4 projection = Kiv::Matrix4::Translation({4, 5, 6});
    display_.SetLighting(true);
    display_.SetCullMode(2);
    display_.SetBlendFactors(4, 5);
    display_.SetAlphaTest(true);
    display_.SetAlphaBlendEnable(true);
    display_.SetDepthTest(true);
    display_.SetDepthWrite(true);
    display_.SetTransform(Kiv::Display::kViewTransform, view);
    display_.SetTransform(Kiv::Display::kProjectionTransform, projection);
    display_.SetViewport({10, 20, 300, 200});
    display_.ClearCallLog();
    const int textures = Kiv::DisplayTexture::GetLiveCount();

    screen_.Show();

    const Log expected = {
        "CreateDisplayTexture 1",
        "CreateSurface 1 16 8 3 0 1 0 0 1 1 0 0 0 2 2",
        "UploadTexture 1 0 3",
        "SetLighting 0",
        "SetCullMode 0",
        "SetBlendFactors 1 0",
        "SetAlphaTest 0",
        "SetAlphaBlendEnable 0",
        "SetDepthTest 0",
        "SetDepthWrite 0",
        "Set2DViewNormalized 0",
        "ResetTransform",
        "SetViewport 0 0 1920 1080",
        "ApplyStageProgram 0",
        "BindDisplayTexture 0 1",
        "SetDrawingMode 1",
        "BeginFrame 0.0333333",
        "DrawImmediate 3 2 19",
        "EndFrame 0.0333333",
        "SetLighting 1",
        "SetCullMode 2",
        "SetBlendFactors 4 5",
        "SetAlphaTest 1",
        "SetAlphaBlendEnable 1",
        "SetDepthTest 1",
        "SetDepthWrite 1",
        "SetTransform 0",
        "SetTransform 1",
        "SetViewport 10 20 300 200",
        "ResetTextureStage 0",
    };
    EXPECT_EQ(CallLog(), expected);
    EXPECT_EQ(screen_.GetShowCount(), 1);
    EXPECT_FALSE(display_.IsInFrame());
    EXPECT_EQ(display_.GetTransform(Kiv::Display::kViewTransform), view);
    EXPECT_EQ(display_.GetTransform(Kiv::Display::kProjectionTransform), projection);
    EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), textures + 1);

    const Kiv::DisplayTexture* texture = screen_.GetTexture();
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(texture->GetLevel(0), nullptr);
    EXPECT_EQ(texture->GetLevel(0)->GetWidth(), 16u);
    EXPECT_EQ(texture->GetLevel(0)->GetHeight(), 8u);
    const Kiv::TextureStageProgram* program = screen_.GetStageProgram();
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->GetStage(), 0);
    EXPECT_EQ(program->GetColorArgs(),
              Kiv::TextureArgs(0, 1, 0, 1, {{{0, 0, 0}, {0, 0, 2}, {0, 3, 3}, {0, 3, 3}}}));
    EXPECT_EQ(program->GetAlphaArgs(),
              Kiv::TextureArgs(0, 1, 1, 1, {{{0, 1, 0}, {0, 1, 2}, {0, 3, 3}, {0, 3, 3}}}));
}

// Without a stage program the picture is still drawn; no stage is set up or reset.
TEST_F(BlockingScreenTest, WithoutAStageProgramThePictureIsStillDrawn) {
    display_.FailStageProgramCreation(1);
    screen_.Show();
    EXPECT_NE(screen_.GetTexture(), nullptr);
    EXPECT_EQ(screen_.GetStageProgram(), nullptr);
    EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 1);
    EXPECT_EQ(CountOf(CallLog(), "ApplyStageProgram 0"), 0);
    EXPECT_EQ(CountOf(CallLog(), "ResetTextureStage 0"), 0);
}

// A viewport without a positive size is not put back.
TEST_F(BlockingScreenTest, AnEmptySavedViewportIsNotRestored) {
    display_.SetViewport({0, 0, 0, 1080});
    display_.ClearCallLog();
    screen_.Show();
    EXPECT_EQ(CountOf(CallLog(), "SetViewport 0 0 1920 1080"), 1);
    EXPECT_EQ(CountOf(CallLog(), "SetViewport 0 0 0 1080"), 0);
    EXPECT_EQ(CallLog().back(), "ResetTextureStage 0");
}

// The picture, 1280 x 768 at scale 1, is scaled to cover the target and centred.
TEST_F(BlockingScreenTest, ThePictureCoversTheTarget) {
    struct Case {
        int width, height;
        float x0, y0, x1, y1;
    };
    const Case cases[] = {
        {1920, 1080, 0, -36, 1920, 1116},
        {1280, 768, 0, 0, 1280, 768},
        {1024, 768, -128, 0, 1152, 768},
        {2560, 1024, 0, -256, 2560, 1280},
    };
    screen_.Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        display_.SetTargetSize(c.width, c.height);
        const uint32_t white = 0xFFFFFFFFu;
        const std::vector<Kiv::TransformedVertex> expected = {
            {c.x0, c.y0, 0.5f, white, 0, 0}, {c.x1, c.y0, 0.5f, white, 1, 0},
            {c.x1, c.y1, 0.5f, white, 1, 1}, {c.x1, c.y1, 0.5f, white, 1, 1},
            {c.x0, c.y1, 0.5f, white, 0, 1}, {c.x0, c.y0, 0.5f, white, 0, 0},
        };
        screen_.Update();
        EXPECT_EQ(display_.GetLastImmediateVertices(), expected);
    }
}

// Inside a frame the picture ends that frame and begins the next, so it shows at once.
TEST_F(BlockingScreenTest, InsideAFrameTheFrameIsEndedAndBegunAgain) {
    display_.BeginFrame();
    display_.ClearCallLog();
    screen_.Show();
    const Log expected = {"SetDrawingMode 1", "DrawImmediate 3 2 19", "EndFrame 0.0333333",
                          "BeginFrame 0.0333333"};
    EXPECT_EQ(Between(CallLog(), "SetDrawingMode 1", "SetLighting 0"), expected);
    EXPECT_TRUE(display_.IsInFrame());
}

// Nested Shows only count; the Hide that brings the count to 0 frees the picture, and an
// extra Hide leaves the count at 0 so that the next Show loads the picture again.
TEST_F(BlockingScreenTest, ShowAndHideNest) {
    const int textures = Kiv::DisplayTexture::GetLiveCount();
    const int programs = Kiv::Display::GetLiveStageProgramCount();
    screen_.Show();
    screen_.Show();
    EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 1);
    screen_.Hide();
    EXPECT_EQ(screen_.GetShowCount(), 1);
    EXPECT_NE(screen_.GetTexture(), nullptr);
    screen_.Hide();
    EXPECT_EQ(screen_.GetShowCount(), 0);
    EXPECT_EQ(screen_.GetTexture(), nullptr);
    EXPECT_EQ(screen_.GetStageProgram(), nullptr);
    EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), textures);
    EXPECT_EQ(Kiv::Display::GetLiveStageProgramCount(), programs);

    screen_.Hide();
    EXPECT_EQ(screen_.GetShowCount(), 0);
    display_.ClearCallLog();
    screen_.Show();
    EXPECT_EQ(screen_.GetShowCount(), 1);
    EXPECT_NE(screen_.GetTexture(), nullptr);
    EXPECT_EQ(CallLog().front(), "CreateDisplayTexture 2");
    EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 1);
}

// Without a readable picture the screen is counted as shown but draws nothing; Update
// still drops input and dispatches the rest.
TEST_F(BlockingScreenTest, WithoutAPictureUpdateStillPumps) {
    struct Case {
        const char* what;
        bool write;
        std::string bytes;
    };
    const std::string jpeg = WriteJpeg(16, 8);
    const Case cases[] = {
        {"missing", false, ""},
        {"cut short", true, jpeg.substr(0, jpeg.size() / 2)},
        {"not a picture", true, "BlockingScreen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(temp_.Path("data/BlockingScreen.jpg").c_str());
        if (c.write) WritePicture(c.bytes);
        screen_.SetRenderKernelForTesting(&kernel_);
        display_.ClearCallLog();
        FakeMessagePump pump;
        screen_.SetMessagePumpForTesting(&pump);
        screen_.Show();
        EXPECT_EQ(screen_.GetShowCount(), 1);
        EXPECT_EQ(screen_.GetTexture(), nullptr);
        EXPECT_EQ(screen_.GetStageProgram(), nullptr);
        EXPECT_TRUE(CallLog().empty());

        pump.Post(256);
        pump.Post(0x400);
        screen_.Update();
        EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 0);
        EXPECT_EQ(pump.Dropped(), std::vector<uint32_t>{256});
        EXPECT_EQ(pump.dispatched, std::vector<uint32_t>{0x400});
        screen_.SetMessagePumpForTesting(&pump_);
    }
}

// A texture object whose surface or upload failed is released, not kept unfilled.
TEST_F(BlockingScreenTest, ATextureThatCannotBeFilledIsReleased) {
    struct Case {
        const char* what;
        bool surface, upload;
    };
    const Case cases[] = {{"surface", true, false}, {"upload", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        screen_.SetRenderKernelForTesting(&kernel_);
        display_.SetTextureSurfaceFailure(c.surface);
        display_.SetTextureUploadFailure(c.upload);
        display_.ClearCallLog();
        const int textures = Kiv::DisplayTexture::GetLiveCount();
        screen_.Show();
        EXPECT_EQ(screen_.GetShowCount(), 1);
        EXPECT_EQ(screen_.GetTexture(), nullptr);
        EXPECT_EQ(Kiv::DisplayTexture::GetLiveCount(), textures);
        EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 0);
        screen_.Update();
        EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 0);
    }
    display_.SetTextureSurfaceFailure(false);
    display_.SetTextureUploadFailure(false);
}

// Update draws, then drops pending key and mouse messages and dispatches paint and posted
// ones, dropping input again after each dispatch: the key a paint handler queues never
// reaches a window, the message it posts does.
TEST_F(BlockingScreenTest, UpdateDropsInputAndDispatchesTheRest) {
    screen_.Show();
    display_.ClearCallLog();
    for (uint32_t number : {256u, 512u, FakeMessagePump::kPaint, 265u, 0x400u, 525u, 266u})
        pump_.Post(number);
    pump_.onDispatch = [this](const PumpMessage& message) {
        if (message.number != FakeMessagePump::kPaint) return;
        pump_.Post(257);
        pump_.Post(0x401);
    };
    screen_.Update();
    EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 1);
    EXPECT_EQ(pump_.Dropped(), (std::vector<uint32_t>{256, 265, 512, 525, 257}));
    const std::vector<uint32_t> passed = {FakeMessagePump::kPaint, 0x400, 266, 0x401};
    EXPECT_EQ(pump_.dispatched, passed);
    EXPECT_EQ(pump_.translated, passed);
    EXPECT_TRUE(pump_.queue.empty());
}

// The main thread's lock wait shows the screen after 15 s, updates it 15 s later and
// hides it after the grant.
TEST_F(BlockingScreenTest, TheLockWaitOfTheMainThreadShowsUpdatesAndHidesIt) {
    RecordMainThreadId();
    BlockingScreen::InstallResourceLockHooks();
    ScopedFakeJobTiming fake;
    ResourceLock lock;
    constexpr uint32_t kHolder = 77;
    ASSERT_TRUE(lock.TryAcquire(kHolder, true));
    std::thread holder([&] {
        if (WaitUntil([&] { return fake.timing.SleepCalls() > 0; })) {
            fake.timing.Advance(15001);
            EXPECT_TRUE(WaitUntil([&] { return screen_.GetShowCount() == 1; }));
            EXPECT_EQ(pump_.peeks.load(), 0);
            fake.timing.Advance(15001);
            EXPECT_TRUE(WaitUntil([&] { return pump_.peeks.load() > 0; }));
        }
        lock.Release(kHolder);
    });
    lock.AcquireCurrentThread(true);
    holder.join();
    EXPECT_EQ(CountOf(CallLog(), "CreateDisplayTexture 1"), 1);
    EXPECT_EQ(CountOf(CallLog(), "DrawImmediate 3 2 19"), 2);
    EXPECT_EQ(screen_.GetShowCount(), 0);
    EXPECT_EQ(screen_.GetTexture(), nullptr);
    EXPECT_TRUE(lock.ReleaseCurrentThread());
    ResourceLock::SetWaitHooks({});
}

// The same 15 s step of the wait frees the resources only the cache still holds.
TEST(BlockingScreen, TheLockWaitDumpsUnusedResources) {
    RecordMainThreadId();
    BlockingScreen::InstallResourceLockHooks();
    Kiv::ResourceSystem system;
    ASSERT_EQ(Kiv::ResourceSystem::Current(), &system);
    TempFolder temp;
    temp.WriteFile("t.texture.txt", "Primary=t.tga\n");
    Kiv::ResourceDatabase database{Kiv::PString(temp.Root().c_str())};
    Kiv::Resource* texture = database.Get(Kiv::PString("t.texture"));
    ASSERT_NE(texture, nullptr);
    texture->Release();
    ASSERT_EQ(system.GetCacheSize(), 1u);

    ScopedFakeJobTiming fake;
    ResourceLock lock;
    constexpr uint32_t kHolder = 78;
    ASSERT_TRUE(lock.TryAcquire(kHolder, true));
    std::thread holder([&] {
        if (WaitUntil([&] { return fake.timing.SleepCalls() > 0; })) {
            fake.timing.Advance(15001);
            EXPECT_TRUE(WaitUntil([&] { return system.GetCacheSize() == 0; }));
        }
        lock.Release(kHolder);
    });
    lock.AcquireCurrentThread(true);
    holder.join();
    EXPECT_EQ(system.GetCacheSize(), 0u);
    EXPECT_TRUE(lock.ReleaseCurrentThread());
    ResourceLock::SetWaitHooks({});
}

} // namespace
