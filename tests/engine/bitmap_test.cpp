// Bitmaps and their readers: tiny TGA and BMP files written byte by byte, PNG and JPEG
// files written with libpng and libjpeg, each decoded to the BGRA pixels worked out by hand;
// truncated, oversized and damaged files fail with a reason; scaling averages by area.
#include "engine/bitmap.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace std::string_literals;
using Bytes = std::vector<uint8_t>;

Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::unique_ptr<Kiv::Bitmap> Decode(const Bytes& bytes, const char* name = "image.tga") {
    std::string error;
    auto bitmap = Kiv::Bitmap::Decode(bytes, name, error);
    if (!bitmap) {
        EXPECT_FALSE(error.empty());
    }
    return bitmap;
}

Bytes PixelsOf(const Kiv::Bitmap& bitmap) {
    return Bytes(bitmap.GetPixels(), bitmap.GetPixels() + bitmap.GetByteCount());
}

// A file written by hand and the bitmap it must decode to.
struct DecodeCase {
    const char* what;
    std::string file;
    Kiv::Bitmap::Format format;
    uint32_t width, height;
    std::string pixels;
};

void ExpectDecodes(const DecodeCase& c, const char* name) {
    SCOPED_TRACE(c.what);
    auto bitmap = Decode(Of(c.file), name);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetFormat(), c.format);
    EXPECT_EQ(bitmap->GetWidth(), c.width);
    EXPECT_EQ(bitmap->GetHeight(), c.height);
    EXPECT_EQ(PixelsOf(*bitmap), Of(c.pixels));
}

// 2 x 2, type 2, 32 bits, top-down with 8 alpha bits.
const std::string kTgaTopDown = "\0\0\x02"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\x02\0\x02\0"s + "\x20\x28"s +
                                "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10"s;
// 3 x 2, type 10 (run-length), 24 bits, bottom-up: the bottom row one run, the top row raw.
const std::string kTgaRunLength = "\0\0\x0A"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\x03\0\x02\0"s + "\x18\x00"s +
                                  "\x82\x10\x20\x30"s + "\x02\x01\x02\x03\x04\x05\x06\x07\x08\x09"s;

TEST(BitmapTga, DecodesToTheExpectedPixels) {
    const DecodeCase cases[] = {
        {"top-down with alpha", kTgaTopDown, Kiv::Bitmap::kFormatBGRA, 2, 2,
         "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10"s},
        {"run-length bottom-up", kTgaRunLength, Kiv::Bitmap::kFormatBGRX, 3, 2,
         "\x01\x02\x03\xFF\x04\x05\x06\xFF\x07\x08\x09\xFF"s
         "\x10\x20\x30\xFF\x10\x20\x30\xFF\x10\x20\x30\xFF"s},
        {"grey with an identifier", "\x02\0\x03"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\x01\0\x01\0"s + "\x08\x20"s +
                                        "id" + "\x80"s,
         Kiv::Bitmap::kFormatBGRX, 1, 1, "\x80\x80\x80\xFF"s},
        {"32 bits without alpha bits", "\0\0\x02"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\x01\0\x01\0"s + "\x20\x20"s +
                                           "\x01\x02\x03\x00"s,
         Kiv::Bitmap::kFormatBGRX, 1, 1, "\x01\x02\x03\xFF"s},
    };
    for (const DecodeCase& c : cases) ExpectDecodes(c, "Picture.TGA");
}

TEST(BitmapTga, DamagedAndOversizedFilesFail) {
    const std::string header = "\0\0\x02"s + "\0\0\0\0\0"s + "\0\0\0\0"s;
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"wider than 16384", header + "\x01\x40\x01\0"s + "\x20\x28"s + std::string(16388, 'x')},
        {"width 0", header + "\0\0\x01\0"s + "\x20\x28"s + "abcd"},
        {"colour-mapped", "\0\x01\x01"s + "\0\0\x02\0\x18"s + "\0\0\0\0"s + "\x01\0\x01\0"s + "\x08\x20"s + "......\0"s},
        {"16 bits", header + "\x01\0\x01\0"s + "\x10\x20"s + "ab"},
        {"a run past the last pixel", "\0\0\x0A"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\x01\0\x01\0"s + "\x18\x20"s +
                                          "\x81\x01\x02\x03"s},
        {"claims more pixels than its run-length data holds",
         "\0\0\x0A"s + "\0\0\0\0\0"s + "\0\0\0\0"s + "\0\x40\0\x40"s + "\x18\x20"s + "\xFF\x01\x02\x03"s},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(Of(c.file)), nullptr) << c.what;
    for (const std::string& file : {kTgaTopDown, kTgaRunLength}) {
        for (size_t length = 0; length < file.size(); ++length)
            EXPECT_EQ(Decode(Of(file.substr(0, length))), nullptr) << length;
    }
}

// 2 x 2, 24 bits, bottom-up, rows padded to 8 bytes.
const std::string kBmp24 = "BM"s + "\x46\0\0\0"s + "\0\0\0\0"s + "\x36\0\0\0"s + "\x28\0\0\0"s + "\x02\0\0\0"s +
                           "\x02\0\0\0"s + "\x01\0"s + "\x18\0"s + std::string(24, '\0') +
                           "\x01\x02\x03\x04\x05\x06\0\0"s + "\x07\x08\x09\x0A\x0B\x0C\0\0"s;

std::string BmpHeader(int32_t width, int32_t height, uint16_t bits, uint32_t colours, uint32_t offset) {
    std::string h = "BM"s + "\0\0\0\0"s + "\0\0\0\0"s;
    auto put = [&h](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) h.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    put(offset, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(bits, 2);
    h += std::string(16, '\0');  // compression, image size, resolution
    put(colours, 4);
    put(0, 4);
    return h;
}

TEST(BitmapBmp, DecodesToTheExpectedPixels) {
    const DecodeCase cases[] = {
        {"24 bits bottom-up", kBmp24, Kiv::Bitmap::kFormatBGRX, 2, 2,
         "\x07\x08\x09\xFF\x0A\x0B\x0C\xFF\x01\x02\x03\xFF\x04\x05\x06\xFF"s},
        {"8-bit palette top-down", BmpHeader(3, -1, 8, 2, 62) + "\x11\x22\x33\0\x44\x55\x66\0"s + "\x01\0\x01\0"s,
         Kiv::Bitmap::kFormatBGRX, 3, 1, "\x44\x55\x66\xFF\x11\x22\x33\xFF\x44\x55\x66\xFF"s},
        {"32 bits with alpha", BmpHeader(1, 1, 32, 0, 54) + "\x01\x02\x03\x80"s, Kiv::Bitmap::kFormatBGRA, 1, 1,
         "\x01\x02\x03\x80"s},
        {"32 bits, alpha all 0", BmpHeader(1, 1, 32, 0, 54) + "\x01\x02\x03\x00"s, Kiv::Bitmap::kFormatBGRX, 1, 1,
         "\x01\x02\x03\xFF"s},
    };
    for (const DecodeCase& c : cases) ExpectDecodes(c, "image.bmp");
}

TEST(BitmapBmp, DamagedAndOversizedFilesFail) {
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"height beyond 16384", BmpHeader(1, -16385, 24, 0, 54) + std::string(16385 * 4, '\0')},
        {"most negative height", BmpHeader(1, INT32_MIN, 24, 0, 54) + "abcd"},
        {"width 0", BmpHeader(0, 1, 24, 0, 54) + "abcd"},
        {"16 bits", BmpHeader(1, 1, 16, 0, 54) + "abcd"},
        {"palette index out of range", BmpHeader(1, 1, 8, 2, 62) + "\x11\x22\x33\0\x44\x55\x66\0"s + "\x02\0\0\0"s},
        {"palette over 256 entries", BmpHeader(1, 1, 8, 257, 54) + std::string(2000, '\0')},
        {"data offset past the end", BmpHeader(1, 1, 24, 0, 0x7FFFFFFF) + "abcd"},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(Of(c.file), "x.bmp"), nullptr) << c.what;
    for (size_t length = 2; length < kBmp24.size(); ++length)
        EXPECT_EQ(Decode(Of(kBmp24.substr(0, length)), "x.bmp"), nullptr) << length;
}

Bytes WritePng(uint32_t width, uint32_t height, uint32_t format, const Bytes& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

TEST(BitmapPng, DecodesToTheExpectedPixels) {
    auto rgba = Decode(WritePng(2, 1, PNG_FORMAT_RGBA, {10, 20, 30, 40, 50, 60, 70, 255}), "a.png");
    ASSERT_NE(rgba, nullptr);
    EXPECT_EQ(rgba->GetFormat(), Kiv::Bitmap::kFormatBGRA);
    EXPECT_EQ(PixelsOf(*rgba), (Bytes{30, 20, 10, 40, 70, 60, 50, 255}));

    auto grey = Decode(WritePng(1, 2, PNG_FORMAT_GRAY, {7, 200}), "b.png");
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->GetFormat(), Kiv::Bitmap::kFormatBGRX);
    EXPECT_EQ(PixelsOf(*grey), (Bytes{7, 7, 7, 255, 200, 200, 200, 255}));
}

// A PNG signature and an IHDR of that size; the rest of the file is an empty IDAT and IEND.
Bytes PngClaiming(uint32_t width, uint32_t height) {
    Bytes out = Of("\x89PNG\r\n\x1a\n"s);
    auto chunk = [&out](const std::string& type, const Bytes& data) {
        const uint32_t length = static_cast<uint32_t>(data.size());
        for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
        Bytes body = Of(type);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        const uint32_t crc = static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size())));
        for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    };
    Bytes header;
    for (uint32_t v : {width, height})
        for (int i = 3; i >= 0; --i) header.push_back(static_cast<uint8_t>(v >> (8 * i)));
    header.insert(header.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    chunk("IEND", {});
    return out;
}

TEST(BitmapPng, DamagedAndOversizedFilesFail) {
    EXPECT_EQ(Decode(PngClaiming(16385, 1), "big.png"), nullptr);
    EXPECT_EQ(Decode(PngClaiming(16000, 16000), "bomb.png"), nullptr);  // more than its data holds
    EXPECT_EQ(Decode(PngClaiming(1, 1), "empty.png"), nullptr);          // no pixel data at all
    const Bytes good = WritePng(2, 1, PNG_FORMAT_RGBA, {10, 20, 30, 40, 50, 60, 70, 255});
    for (size_t length = 8; length < good.size(); ++length)
        EXPECT_EQ(Decode(Bytes(good.begin(), good.begin() + static_cast<long>(length)), "a.png"), nullptr) << length;
    Bytes damaged = good;
    damaged[good.size() - 20] ^= 0xFF;  // inside IDAT: its CRC no longer matches
    EXPECT_EQ(Decode(damaged, "a.png"), nullptr);
}

// 16 x 8: the left 8 x 8 block one colour, the right another, at quality 100.
Bytes WriteJpeg() {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 16;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c)  // no chroma subsampling: colours stay apart
        info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    Bytes row;
    for (int x = 0; x < 16; ++x) {
        const Bytes rgb = x < 8 ? Bytes{200, 40, 40} : Bytes{40, 40, 200};
        row.insert(row.end(), rgb.begin(), rgb.end());
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

TEST(BitmapJpeg, DecodesToTheExpectedPixels) {
    auto bitmap = Decode(WriteJpeg(), "photo.jpg");
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetFormat(), Kiv::Bitmap::kFormatBGRX);
    ASSERT_EQ(bitmap->GetWidth(), 16u);
    ASSERT_EQ(bitmap->GetHeight(), 8u);
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            const uint8_t* p = bitmap->PixelAt(x, y);
            const int blue = x < 8 ? 40 : 200, red = x < 8 ? 200 : 40;  // lossy: within 4
            EXPECT_NEAR(p[0], blue, 4) << x << "," << y;
            EXPECT_NEAR(p[1], 40, 4) << x << "," << y;
            EXPECT_NEAR(p[2], red, 4) << x << "," << y;
            EXPECT_EQ(p[3], 0xFF);
        }
    }
}

// The file with the frame header's height and width (big-endian after FFC0/FFC2) replaced.
Bytes WithFrameSize(Bytes file, uint16_t width, uint16_t height) {
    for (size_t i = 0; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = static_cast<uint8_t>(height >> 8);
            file[i + 6] = static_cast<uint8_t>(height);
            file[i + 7] = static_cast<uint8_t>(width >> 8);
            file[i + 8] = static_cast<uint8_t>(width);
            return file;
        }
    }
    ADD_FAILURE() << "no frame header";
    return file;
}

TEST(BitmapJpeg, DamagedAndOversizedFilesFail) {
    const Bytes good = WriteJpeg();
    EXPECT_EQ(Decode(WithFrameSize(good, 16385, 8), "x.jpg"), nullptr);
    EXPECT_EQ(Decode(WithFrameSize(good, 16000, 16000), "x.jpg"), nullptr);
    for (size_t length = 3; length < good.size(); ++length)
        EXPECT_EQ(Decode(Bytes(good.begin(), good.begin() + static_cast<long>(length)), "x.jpg"), nullptr)
            << length;
}

TEST(Bitmap, TheFormatComesFromTheSignatureOrTheTgaEnding) {
    EXPECT_EQ(Decode(Of(kTgaTopDown), "image.png"), nullptr);  // no signature, not ".tga"
    EXPECT_NE(Decode(Of(kBmp24), "image.tga"), nullptr);       // the BMP signature decides
    EXPECT_EQ(Decode({}, "empty.tga"), nullptr);
}

TEST(Bitmap, ScaleAveragesTheCoveredArea) {
    auto bitmap = Kiv::Bitmap::Create(4, 2, Kiv::Bitmap::kFormatBGRA);
    for (uint32_t i = 0; i < 8; ++i) {
        uint8_t* p = bitmap->PixelAt(i % 4, i / 4);
        p[0] = static_cast<uint8_t>(i * 10);
        p[3] = 255;
    }
    ASSERT_TRUE(bitmap->Scale(2, 1));
    EXPECT_EQ(bitmap->GetByteCount(), 8u);
    EXPECT_EQ(PixelsOf(*bitmap), (Bytes{25, 0, 0, 255, 45, 0, 0, 255}));  // (0+10+40+50)/4, (20+30+60+70)/4
    ASSERT_TRUE(bitmap->Scale(4, 2));  // up: each target pixel takes its nearest source
    EXPECT_EQ(bitmap->PixelAt(1, 1)[0], 25);
    EXPECT_EQ(bitmap->PixelAt(2, 0)[0], 45);
    EXPECT_FALSE(bitmap->Scale(0, 1));
    EXPECT_FALSE(bitmap->Scale(1, 16385));
    auto raw = Kiv::Bitmap::Create(4, 4, Kiv::Bitmap::kFormatRaw, 8);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->GetByteCount(), 8u);
    EXPECT_FALSE(raw->Scale(2, 2));
    EXPECT_EQ(Kiv::Bitmap::Create(4, 4, Kiv::Bitmap::kFormatRaw, 0), nullptr);
    EXPECT_EQ(Kiv::Bitmap::Create(16385, 1, Kiv::Bitmap::kFormatBGRA), nullptr);
}

// Load reads the file through the engine's path resolution (a name in other case finds
// it) and decodes it; a missing, empty or undecodable file gives null and a reason.
TEST(BitmapLoad, ReadsAndDecodesAFile) {
    char folder[] = "/tmp/bitmap_load_test_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string base(folder);
    std::FILE* out = std::fopen((base + "/Pic.BMP").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(kBmp24.data(), 1, kBmp24.size(), out);
    std::fclose(out);
    std::fclose(std::fopen((base + "/empty.bmp").c_str(), "wb"));
    std::string error;
    auto bitmap = Kiv::Bitmap::Load((base + "/pic.bmp").c_str(), error);
    ASSERT_NE(bitmap, nullptr) << error;
    EXPECT_EQ(bitmap->GetWidth(), 2u);
    EXPECT_EQ(bitmap->GetHeight(), 2u);
    for (const char* name : {"/missing.bmp", "/empty.bmp"}) {
        error.clear();
        EXPECT_EQ(Kiv::Bitmap::Load((base + name).c_str(), error), nullptr) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    std::remove((base + "/Pic.BMP").c_str());
    std::remove((base + "/empty.bmp").c_str());
    std::remove(folder);
}

}  // namespace
