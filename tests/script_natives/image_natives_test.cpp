// The Image natives through script calls: a new image without a bitmap, packed colours,
// clearing and resizing, copies with the self-copy rule, text without a font, the soup
// export and import, and drawing far outside the bitmap.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "native_script_support.h"
#include "script_natives/gso_image.h"
#include "script_natives/gso_soup.h"

namespace {

using nativetest::Int;

constexpr const char* kScript = R"(include "image.gs"
include "constructors.gs"
class Test {
  public void Clear(Image i, int w, int h) { i.Clear(w, h); }
  public void Resize(Image i, int w, int h, bool s) { i.Resize(w, h, s); }
  public int Size(Image i) { return i.GetWidth() * 1000 + i.GetHeight(); }
  public void Fill(Image i, float a, float b, float c, float d) { i.SetFillColor(a, b, c, d); }
  public void Line(Image i, float a, float b, float c, float d) { i.SetLineColor(a, b, c, d); }
  public void Shapes(Image i, int lo, int hi) {
    i.DrawPoint(lo, hi); i.DrawRect(lo, lo, hi, hi); i.DrawLine(lo, lo, hi, hi);
    i.DrawCircle(lo, hi, hi); i.DrawTriangle(lo, lo, hi, lo, lo, hi);
    i.DrawImage(lo, hi, i); i.DrawImage(lo, lo, hi, hi, i); i.DrawImage(lo, lo, hi, hi, i, lo, lo, hi, hi);
  }
  public void Rect(Image i, int a, int b, int c, int d) { i.DrawRect(a, b, c, d); }
  public void CopyAt(Image i, int x, int y, Image s) { i.DrawImage(x, y, s); }
  public void CopyInto(Image i, int a, int b, int c, int d, Image s) { i.DrawImage(a, b, c, d, s); }
  public void CopyPart(Image i, int a, int b, Image s, int e, int f, int g, int h) { i.DrawImage(a, b, a + g - e, b + h - f, s, e, f, g, h); }
  public void CopyNull(Image i, int which) {
    Image none;
    if (which == 0) i.DrawImage(0, 0, none);
    else i.DrawImage(0, 0, 1, 1, none);
  }
  public void HugeFont(Image i) { i.SetTextFont("SeRiF", 20000); }
  public int Measure(Image i) { return i.MeasureTextWidth("Hello"); }
  public void Text(Image i) { i.DrawText(0, 0, "Hello"); }
  public void EmptyFont(Image i) { i.SetTextFont("", 12); }
  public int Export(Image i) { Soup s = i.ExportImage(); int locked = 0; if (s.IsLocked()) locked = 1; return s.CountTags() * 10 + locked; }
  public void Import(Image i, Soup s) { i.ImportImage(s); }
};
)";

GSSlot Float(float value) {
    GSSlot slot{};
    slot.f = value;
    return slot;
}

std::vector<uint8_t> PixelOf(const GSOImage& image, uint32_t x, uint32_t y) {
    const uint8_t* p = image.Bitmap()->PixelAt(x, y);
    return {p[0], p[1], p[2], p[3]};
}

std::vector<int> FirstBytes(const GSOImage& image) {
    std::vector<int> bytes;
    for (uint32_t y = 0; y < image.Bitmap()->GetHeight(); ++y)
        for (uint32_t x = 0; x < image.Bitmap()->GetWidth(); ++x) bytes.push_back(image.Bitmap()->PixelAt(x, y)[0]);
    return bytes;
}

class ImageNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override {
        LoadScript(kScript);
        image_ = GSOImage::Construct(&context_);
        ASSERT_NE(image_, nullptr);
    }
    void TearDown() override {
        if (image_) GSReleaseReference(image_->GetInstance());
        ScriptCallTest::TearDown();
    }
    // The image for a call; the test keeps its own reference.
    GSSlot Img(GSOImage* image) {
        GSAddReference(image->GetInstance());
        return GSPointerSlot(image->GetInstance());
    }
    void Run(const std::string& signature, std::vector<GSSlot> arguments) {
        EXPECT_TRUE(Call(signature, nullptr, std::move(arguments))) << signature << LogText();
    }
    // A 2 x 2 image whose pixel first bytes are 1, 2 / 3, 4, opaque.
    void MakeNumbered(GSOImage* image) {
        Run("$void@Test::Clear(Image,int,int)", {Img(image), Int(2), Int(2)});
        auto* bitmap = const_cast<Kiv::Bitmap*>(image->Bitmap());
        for (uint32_t i = 0; i < 4; ++i) {
            uint8_t* p = bitmap->PixelAt(i % 2, i / 2);
            p[0] = static_cast<uint8_t>(i + 1);
            p[3] = 255;
        }
    }

    GSOImage* image_ = nullptr;
};

TEST_F(ImageNativesTest, ANewImageHasNoBitmapAndClearAlwaysCounts) {
    EXPECT_EQ(CallInt("$int@Test::Size(Image)", {Img(image_)}), 0);
    EXPECT_EQ(image_->ChangeCount(), 0);
    Run("$void@Test::Clear(Image,int,int)", {Img(image_), Int(0), Int(5)});
    EXPECT_EQ(image_->Bitmap(), nullptr);
    EXPECT_EQ(image_->ChangeCount(), 1);
    Run("$void@Test::Shapes(Image,int,int)", {Img(image_), Int(0), Int(3)});
    EXPECT_EQ(image_->ChangeCount(), 1) << "drawing without a bitmap does nothing";
    Run("$void@Test::Clear(Image,int,int)", {Img(image_), Int(16385), Int(2)});
    EXPECT_EQ(image_->Bitmap(), nullptr) << "a side beyond 16384 leaves no bitmap";
    EXPECT_EQ(image_->ChangeCount(), 2);
}

TEST_F(ImageNativesTest, ColoursArePackedBlueGreenRedAlpha) {
    Run("$void@Test::Fill(Image,float,float,float,float)", {Img(image_), Float(1), Float(0), Float(0), Float(1)});
    EXPECT_EQ(image_->FillColor(), (GSOImage::PackedColor{0, 0, 255, 255}));
    Run("$void@Test::Clear(Image,int,int)", {Img(image_), Int(4), Int(4)});
    EXPECT_EQ(CallInt("$int@Test::Size(Image)", {Img(image_)}), 4004);
    EXPECT_EQ(PixelOf(*image_, 0, 0), (std::vector<uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(PixelOf(*image_, 3, 3), (std::vector<uint8_t>{0, 0, 255, 255}));

    struct Case {
        float component;
        uint8_t stored;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // 2.0 * 255 + 0.5 = 510.5, truncated 510, low byte 254; 255 * 255 + 0.5 gives 65025, 0x01.
    const Case cases[] = {{2.0f, 254}, {0.5f, 128}, {-3.0f, 0}, {255.0f, 0x01}, {1000.0f, 0x01}, {nan, 0}};
    for (const Case& c : cases) {
        Run("$void@Test::Line(Image,float,float,float,float)", {Img(image_), Float(c.component), Float(0), Float(0), Float(1)});
        EXPECT_EQ(image_->LineColor()[2], c.stored) << c.component;
        EXPECT_EQ(image_->LineColor()[3], 255);
    }
}

TEST_F(ImageNativesTest, ResizeScalesOrCopiesIntoAClearedBitmap) {
    MakeNumbered(image_);
    const int32_t before = image_->ChangeCount();
    Run("$void@Test::Resize(Image,int,int,bool)", {Img(image_), Int(2), Int(2), Int(1)});
    EXPECT_EQ(image_->ChangeCount(), before) << "the same size changes nothing";

    GSOImage* copy = GSOImage::Construct(&context_);
    MakeNumbered(copy);
    Run("$void@Test::Resize(Image,int,int,bool)", {Img(image_), Int(4), Int(4), Int(1)});
    EXPECT_EQ(FirstBytes(*image_), (std::vector<int>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
    EXPECT_EQ(image_->ChangeCount(), before + 1);
    Run("$void@Test::Resize(Image,int,int,bool)", {Img(copy), Int(4), Int(4), Int(0)});
    EXPECT_EQ(FirstBytes(*copy), (std::vector<int>{1, 2, 0, 0, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PixelOf(*copy, 3, 3), (std::vector<uint8_t>{0, 0, 0, 0}));
    Run("$void@Test::Resize(Image,int,int,bool)", {Img(copy), Int(0), Int(4), Int(0)});
    EXPECT_EQ(copy->Bitmap(), nullptr);
    GSReleaseReference(copy->GetInstance());
}

TEST_F(ImageNativesTest, CopiesBlendAndAnImageCopiesOntoItselfOnlyAtItsOwnSize) {
    MakeNumbered(image_);
    const int32_t before = image_->ChangeCount();
    Run("$void@Test::CopyInto(Image,int,int,int,int,Image)", {Img(image_), Int(0), Int(0), Int(3), Int(3), Img(image_)});
    EXPECT_EQ(image_->ChangeCount(), before);
    EXPECT_EQ(FirstBytes(*image_), (std::vector<int>{1, 2, 3, 4}));
    Run("$void@Test::CopyInto(Image,int,int,int,int,Image)", {Img(image_), Int(1), Int(0), Int(3), Int(2), Img(image_)});
    EXPECT_EQ(image_->ChangeCount(), before + 1);
    EXPECT_EQ(FirstBytes(*image_), (std::vector<int>{1, 1, 3, 3})) << "a self-copy reads the old pixels";

    GSOImage* target = GSOImage::Construct(&context_);
    Run("$void@Test::Clear(Image,int,int)", {Img(target), Int(3), Int(3)});
    MakeNumbered(image_);
    Run("$void@Test::CopyAt(Image,int,int,Image)", {Img(target), Int(1), Int(1), Img(image_)});
    EXPECT_EQ(FirstBytes(*target), (std::vector<int>{0, 0, 0, 0, 1, 2, 0, 3, 4}));
    Run("$void@Test::CopyPart(Image,int,int,Image,int,int,int,int)",
        {Img(target), Int(0), Int(0), Img(image_), Int(1), Int(1), Int(2), Int(2)});
    EXPECT_EQ(FirstBytes(*target), (std::vector<int>{4, 0, 0, 0, 1, 2, 0, 3, 4}));
    Run("$void@Test::CopyPart(Image,int,int,Image,int,int,int,int)",
        {Img(target), Int(0), Int(0), Img(image_), Int(INT_MIN), Int(INT_MIN), Int(INT_MAX), Int(INT_MAX)});
    EXPECT_EQ(FirstBytes(*target), (std::vector<int>{4, 0, 0, 0, 1, 2, 0, 3, 4})) << "far corners land outside";
    ExpectStopped("$void@Test::CopyNull(Image,int)", "null object at parameter 3", {Img(target), Int(0)});
    ExpectStopped("$void@Test::CopyNull(Image,int)", "null object at parameter 5", {Img(target), Int(1)});
    GSReleaseReference(target->GetInstance());
}

TEST_F(ImageNativesTest, ShapesFarOutsideTouchNothingAndRectanglesKeepTheirEdges) {
    Run("$void@Test::Clear(Image,int,int)", {Img(image_), Int(4), Int(4)});
    Run("$void@Test::Line(Image,float,float,float,float)", {Img(image_), Float(1), Float(1), Float(1), Float(1)});
    Run("$void@Test::Shapes(Image,int,int)", {Img(image_), Int(INT_MIN), Int(INT_MIN + 1)});
    Run("$void@Test::Shapes(Image,int,int)", {Img(image_), Int(INT_MAX - 1), Int(INT_MAX)});
    EXPECT_EQ(FirstBytes(*image_), std::vector<int>(16, 0));
    Run("$void@Test::Rect(Image,int,int,int,int)", {Img(image_), Int(INT_MIN), Int(1), Int(3), Int(INT_MAX)});
    // Only the right edge (column 2) and the top edge (row 1) fall inside.
    EXPECT_EQ(FirstBytes(*image_), (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0}));
}

TEST_F(ImageNativesTest, TextIsDrawnInTheLineColourAndWithoutAFontNotAtAll) {
    Run("$void@Test::Clear(Image,int,int)", {Img(image_), Int(8), Int(8)});
    EXPECT_GT(CallInt("$int@Test::Measure(Image)", {Img(image_)}), 0) << "the default face at 12 pixels";
    Run("$void@Test::Text(Image)", {Img(image_)});
    EXPECT_EQ(image_->ChangeCount(), 2);
    EXPECT_NE(FirstBytes(*image_), std::vector<int>(64, 0));
    Run("$void@Test::Clear(Image,int,int)", {Img(image_), Int(8), Int(8)});
    Run("$void@Test::HugeFont(Image)", {Img(image_)});
    EXPECT_EQ(std::string(image_->FontName().View()), "serif");
    EXPECT_EQ(image_->FontSize(), 20000);
    const int32_t before = image_->ChangeCount();
    EXPECT_EQ(CallInt("$int@Test::Measure(Image)", {Img(image_)}), 0);
    Run("$void@Test::Text(Image)", {Img(image_)});
    EXPECT_EQ(image_->ChangeCount(), before);
    EXPECT_EQ(FirstBytes(*image_), std::vector<int>(64, 0));
    ExpectStopped("$void@Test::EmptyFont(Image)", "empty string at parameter 1", {Img(image_)});
}

TEST_F(ImageNativesTest, ExportGivesAnEmptyLockedSoupAndImportOnlyCounts) {
    EXPECT_EQ(CallInt("$int@Test::Export(Image)", {Img(image_)}), 1);
    GSOSoup* soup = GSOSoup::Construct(&context_);
    Run("$void@Test::Import(Image,Soup)", {Img(image_), GSPointerSlot(soup->GetInstance())});
    EXPECT_EQ(image_->ChangeCount(), 1);
    ExpectStopped("$void@Test::Import(Image,Soup)", "null object at parameter 1", {Img(image_), GSPointerSlot(nullptr)});
    EXPECT_EQ(image_->ChangeCount(), 1);
}

}  // namespace

namespace {

TEST_F(ImageNativesTest, CreateFromFileLoadsUnderALocationOrGivesNull) {
    // 1 x 1, type 2, 32 bits, top-down with 8 alpha bits: B 1, G 2, R 3, A 4.
    const std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0x28, 1, 2, 3, 4};
    folder_.Write("pic.tga", tga);
    GSOImage* loaded = GSOImage::CreateFromFile(&context_, folder_.Path().c_str(), "pic.tga");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(PixelOf(*loaded, 0, 0), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(loaded->ChangeCount(), 0);
    GSReleaseReference(loaded->GetInstance());
    EXPECT_EQ(GSOImage::CreateFromFile(&context_, folder_.Path().c_str(), "none.tga"), nullptr);
}

}  // namespace
