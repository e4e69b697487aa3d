// Drawing into bitmaps: the pixels each shape covers (pictures drawn by hand), the blend
// formula, copies clipped to both bitmaps, scaling copies, hostile coordinates, and loading
// an image under a location or a mounted archive.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/bitmap.h"
#include "engine/file.h"
#include "engine/resource_archive_writer.h"
#include "temp_folder.h"

using namespace std::string_literals;
using Kiv::Bitmap;
using Kiv::BitmapColor;
using Kiv::BitmapPoint;
using Kiv::BitmapRect;

namespace {

using Picture = std::vector<std::string>;

const BitmapColor kInk{{9, 9, 9, 255}};

std::unique_ptr<Bitmap> Blank(uint32_t width, uint32_t height) {
    auto bitmap = Bitmap::Create(width, height, Bitmap::kFormatBGRA);
    EXPECT_NE(bitmap, nullptr);
    return bitmap;
}

// '#' where the first byte of a pixel is set, '.' elsewhere.
Picture PictureOf(const Bitmap& bitmap) {
    Picture rows;
    for (uint32_t y = 0; y < bitmap.GetHeight(); ++y) {
        std::string row;
        for (uint32_t x = 0; x < bitmap.GetWidth(); ++x) row += bitmap.PixelAt(x, y)[0] ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

std::vector<uint8_t> Pixel(const Bitmap& bitmap, uint32_t x, uint32_t y) {
    const uint8_t* p = bitmap.PixelAt(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// A bitmap whose pixel (x, y) holds first byte value 1 + x + width * y, opaque.
std::unique_ptr<Bitmap> Numbered(uint32_t width, uint32_t height) {
    auto bitmap = Blank(width, height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = bitmap->PixelAt(x, y);
            p[0] = static_cast<uint8_t>(1 + x + width * y);
            p[3] = 255;
        }
    return bitmap;
}

std::vector<int> FirstBytes(const Bitmap& bitmap) {
    std::vector<int> bytes;
    for (uint32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (uint32_t x = 0; x < bitmap.GetWidth(); ++x) bytes.push_back(bitmap.PixelAt(x, y)[0]);
    return bytes;
}

}  // namespace

TEST(BitmapDraw, ShapesCoverTheirPixels) {
    struct Case {
        const char* what;
        uint32_t width, height;
        void (*draw)(Bitmap&);
        Picture want;
    };
    const Case cases[] = {
        {"box outline", 5, 4, [](Bitmap& b) { b.Box({1, 0, 3, 4}, kInk, 0); }, {".###.", ".#.#.", ".#.#.", ".###."}},
        {"box filled", 5, 3, [](Bitmap& b) { b.Box({1, 1, 3, 5}, kInk, 1); }, {".....", ".###.", ".###."}},
        {"box half outside", 5, 3, [](Bitmap& b) { b.Box({-10, 1, 13, 9}, kInk, 0); }, {".....", "###..", "..#.."}},
        {"box of width 0", 3, 2, [](Bitmap& b) { b.Box({0, 0, 0, 2}, kInk, 1); }, {"...", "..."}},
        {"line", 5, 3, [](Bitmap& b) { b.Line({0, 0}, {4, 2}, kInk, 2); }, {"#....", ".##..", "...##"}},
        {"steep line", 3, 4, [](Bitmap& b) { b.Line({2, 0}, {0, 3}, kInk, 0); }, {"..#", ".#.", ".#.", "#.."}},
        {"point line", 2, 2, [](Bitmap& b) { b.Line({1, 1}, {1, 1}, kInk, 0); }, {"..", ".#"}},
        {"line across the int range", 5, 3,
         [](Bitmap& b) { b.Line({INT_MIN, 1}, {INT_MAX, 1}, kInk, 0); }, {".....", "#####", "....."}},
        {"circle filled", 7, 7, [](Bitmap& b) { b.Circle({3, 3}, 2, kInk, 1); },
         {".......", "...#...", "..###..", ".#####.", "..###..", "...#...", "......."}},
        {"circle outline", 7, 7, [](Bitmap& b) { b.Circle({3, 3}, 2, kInk, 2); },
         {".......", "...#...", "..#.#..", ".#...#.", "..#.#..", "...#...", "......."}},
        {"circle of radius 0", 3, 3, [](Bitmap& b) { b.Circle({1, 1}, 0, kInk, 1); }, {"...", ".#.", "..."}},
        {"circle of negative radius", 3, 3, [](Bitmap& b) { b.Circle({1, 1}, -1, kInk, 1); }, {"...", "...", "..."}},
        {"huge circle", 3, 3, [](Bitmap& b) { b.Circle({INT_MIN, INT_MIN}, INT_MAX, kInk, 1); }, {"...", "...", "..."}},
        {"triangle filled", 5, 5, [](Bitmap& b) { b.Triangle({0, 0}, {4, 0}, {0, 4}, kInk, 1); },
         {"####.", "###..", "##...", "#....", "....."}},
        {"triangle outline", 5, 5, [](Bitmap& b) { b.Triangle({0, 0}, {4, 0}, {0, 4}, kInk, 2); },
         {"#####", "#..#.", "#.#..", "##...", "#...."}},
        {"flat triangle fills nothing", 3, 2, [](Bitmap& b) { b.Triangle({0, 0}, {2, 0}, {1, 0}, kInk, 1); },
         {"...", "..."}},
    };
    for (const Case& c : cases) {
        auto bitmap = Blank(c.width, c.height);
        c.draw(*bitmap);
        EXPECT_EQ(PictureOf(*bitmap), c.want) << c.what;
    }
}

TEST(BitmapDraw, BlendingMixesByTheColoursAlphaAndTouchesEachPixelOnce) {
    auto bitmap = Blank(4, 3);
    bitmap->Clear(BitmapColor{{100, 0, 200, 0}});
    const BitmapColor half{{0, 255, 0, 128}};
    bitmap->BlendPixel({0, 0}, half);
    // B (0 * 128 + 100 * 127 + 127) / 255 = 50, G (255 * 128 + 127) / 255 = 128,
    // R (200 * 127 + 127) / 255 = 100, A 128 + (0 + 127) / 255 = 128.
    EXPECT_EQ(Pixel(*bitmap, 0, 0), (std::vector<uint8_t>{50, 128, 100, 128}));
    bitmap->BlendPixel({4, 0}, half);
    bitmap->BlendPixel({-1, 0}, half);

    bitmap->Clear(BitmapColor{{100, 0, 200, 0}});
    bitmap->Box({0, 0, 4, 3}, half, 2);
    for (auto [x, y] : {std::pair{0u, 0u}, {3u, 0u}, {0u, 2u}, {3u, 2u}, {1u, 0u}})
        EXPECT_EQ(Pixel(*bitmap, x, y), (std::vector<uint8_t>{50, 128, 100, 128})) << x << "," << y;
    EXPECT_EQ(Pixel(*bitmap, 1, 1), (std::vector<uint8_t>{100, 0, 200, 0}));

    bitmap->Clear(BitmapColor{{100, 0, 200, 0}});
    bitmap->Triangle({0, 0}, {3, 0}, {0, 2}, half, 2);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), (std::vector<uint8_t>{50, 128, 100, 128})) << "a shared corner blends once";
    bitmap->Box({0, 0, 4, 3}, BitmapColor{{1, 2, 3, 4}}, 0);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), (std::vector<uint8_t>{1, 2, 3, 4})) << "mode 0 replaces";
}

TEST(BitmapCopy, UnscaledCopiesClipBothRectanglesToBothBitmaps) {
    auto source = Numbered(3, 3);
    auto target = Blank(5, 5);
    target->Image(*source, {3, 3}, {-1, -1, 3, 3}, 0);
    // The source rectangle's corner (-1, -1) lands at (3, 3): source (0, 0) at (4, 4).
    std::vector<int> onlyCorner(25, 0);
    onlyCorner[24] = 1;
    EXPECT_EQ(FirstBytes(*target), onlyCorner);

    auto row = Numbered(4, 1);
    row->Image(*row, {1, 0}, {0, 0, 3, 1}, 0);
    EXPECT_EQ(FirstBytes(*row), (std::vector<int>{1, 1, 2, 3})) << "a self-copy reads what was there";

    auto clear = Blank(2, 1);
    auto under = Numbered(2, 1);
    under->Image(*clear, {0, 0}, {0, 0, 2, 1}, 4);
    EXPECT_EQ(FirstBytes(*under), (std::vector<int>{1, 2})) << "mode 4 blends: a transparent source leaves it";
    under->Image(*clear, {0, 0}, {0, 0, 2, 1}, 0);
    EXPECT_EQ(FirstBytes(*under), (std::vector<int>{0, 0})) << "mode 0 replaces";

    for (BitmapRect hostile : {BitmapRect{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, BitmapRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                               BitmapRect{0, 0, -5, 3}})
        for (BitmapPoint at : {BitmapPoint{INT_MIN, INT_MIN}, BitmapPoint{INT_MAX, 0}, BitmapPoint{0, 0}})
            target->Image(*source, at, hostile, 4);
}

TEST(BitmapCopy, ScaledCopiesSampleAsScaleDoesInsideTheClip) {
    auto small = Numbered(2, 2);
    auto big = Blank(4, 4);
    big->Image(*small, BitmapRect{0, 0, 4, 4}, BitmapRect{0, 0, 2, 2}, 0, BitmapRect{0, 0, 4, 4});
    EXPECT_EQ(FirstBytes(*big), (std::vector<int>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));

    auto half = Blank(4, 4);
    half->Image(*small, BitmapRect{0, 0, 4, 4}, BitmapRect{0, 0, 2, 2}, 0, BitmapRect{0, 0, 2, 4});
    EXPECT_EQ(FirstBytes(*half), (std::vector<int>{1, 1, 0, 0, 1, 1, 0, 0, 3, 3, 0, 0, 3, 3, 0, 0}));

    auto shrunk = Blank(1, 1);
    auto four = Numbered(2, 2);
    shrunk->Image(*four, BitmapRect{0, 0, 1, 1}, BitmapRect{0, 0, 2, 2}, 0, BitmapRect{0, 0, 1, 1});
    EXPECT_EQ(FirstBytes(*shrunk), (std::vector<int>{3})) << "the mean of 1, 2, 3, 4, rounded";

    auto untouched = Blank(2, 2);
    untouched->Image(*small, BitmapRect{0, 0, 16385, 2}, BitmapRect{0, 0, 2, 2}, 0, BitmapRect{0, 0, 2, 2});
    untouched->Image(*small, BitmapRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, BitmapRect{-4, -4, 100, 100}, 4,
                     BitmapRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    untouched->Image(*small, BitmapRect{0, 0, 2, 2}, BitmapRect{0, 0, 0, 2}, 0, BitmapRect{0, 0, 2, 2});
    EXPECT_EQ(FirstBytes(*untouched), (std::vector<int>{0, 0, 0, 0}));
}

TEST(BitmapLoad, ReadsUnderALocationOrAMountedArchive) {
    // 1 x 1, type 2, 32 bits, top-down with 8 alpha bits: B 1, G 2, R 3, A 4.
    const std::string tga = "\0\0\x02"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\x01\0\x01\0"s + "\x20\x28"s + "\x01\x02\x03\x04"s;
    TempFolder temp;
    temp.MakeFolder("asset/art");
    temp.WriteFile("asset/art/pic.tga", tga);
    std::string error;
    auto loose = Bitmap::Load("art/pic.tga", temp.Path("asset").c_str(), false, error);
    ASSERT_NE(loose, nullptr) << error;
    EXPECT_EQ(Pixel(*loose, 0, 0), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(Bitmap::Load("art/none.tga", temp.Path("asset").c_str(), false, error), nullptr);

    Kiv::ResourceArchiveWriter writer;
    writer.Add("art/packed.tga", tga);
    ASSERT_TRUE(writer.Write(temp.Path("asset.ka").c_str()));
    ASSERT_TRUE(Kiv::File::Subst("kivdrawasset", temp.Path("asset.ka").c_str(), false));
    auto packed = Bitmap::Load("art/packed.tga", "kivdrawasset", false, error);
    Kiv::File::Subst("kivdrawasset");
    ASSERT_NE(packed, nullptr) << error;
    EXPECT_EQ(Pixel(*packed, 0, 0), (std::vector<uint8_t>{1, 2, 3, 4}));
}
