// The mesh files' padded string (bytes written by hand), the bounded memory file, the
// table square root and the quaternion rows.
#include "engine/mesh_file_support.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/oriented_box.h"
#include "engine/std_math.h"

namespace {

Kiv::MemoryFile FileOf(const std::string& bytes) {
    Kiv::MemoryFile file;
    file.Open(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return file;
}

TEST(PaddedStringTest, IsWrittenAsCountTextNulAndPadding) {
    const struct {
        const char* text;
        std::string bytes;
    } cases[] = {
        {"", std::string("\0\0\0\0", 4)},
        {"abc", std::string("\4\0\0\0abc\0", 8)},
        {"abcd", std::string("\5\0\0\0abcd\0\0\0\0", 12)},
        {"abcdefg", std::string("\x08\0\0\0abcdefg\0", 12)},
    };
    for (const auto& c : cases) {
        std::string out;
        Kiv::MeshFileSupport::WritePaddedString(out, c.text);
        EXPECT_EQ(out, c.bytes) << c.text;
        Kiv::MemoryFile file = FileOf(c.bytes + "tail");
        EXPECT_EQ(Kiv::MeshFileSupport::ReadPaddedString(file).View(), c.text);
        EXPECT_EQ(file.Remaining(), 4u) << c.text;
    }
}

TEST(PaddedStringTest, EndsAtItsFirstNulAndRefusesLengthsItCannotHold) {
    Kiv::MemoryFile inner = FileOf(std::string("\5\0\0\0ab\0d\0zzz", 12));
    EXPECT_EQ(Kiv::MeshFileSupport::ReadPaddedString(inner).View(), "ab");
    EXPECT_EQ(inner.Remaining(), 0u);  // padding skipped, not checked

    const std::string refused[] = {
        std::string("\x01\x00\x01\x00", 4) + std::string(65540, 'a'),  // 65537: too long
        std::string("\x09\0\0\0abc", 7),                                 // past the data
    };
    for (const std::string& bytes : refused) {
        Kiv::MemoryFile file = FileOf(bytes);
        EXPECT_TRUE(Kiv::MeshFileSupport::ReadPaddedString(file).IsEmpty());
        EXPECT_TRUE(file.Failed());
    }
}

TEST(MemoryFileTest, BoundsCountsAndTagsByTheBytesLeft) {
    Kiv::MemoryFile file = FileOf(std::string("INFO\x01\x02\x03\x04", 8));
    EXPECT_FALSE(file.ReadTag("INFX"));
    EXPECT_TRUE(file.ReadTag("INFO"));
    EXPECT_FALSE(file.PeekTag("\x01\x02\x03"));  // fewer than four bytes never match
    EXPECT_TRUE(file.Fits(1, 4));
    EXPECT_FALSE(file.Fits(0xFFFFFFFFu, 0xFFFFFFFFu));  // no product overflows
    EXPECT_TRUE(file.Failed());
    EXPECT_EQ(file.U32(), 0u);  // sticky
}

TEST(StdMathTest, TableSquareRootIsCloseEverywhere) {
    for (float value : {1e-40f, 1e-30f, 0.0001f, 0.5f, 1.0f, 2.0f, 3.0f, 1000.0f, 12345.678f, 1e30f}) {
        EXPECT_NEAR(Kiv::StdMath::Sqrt(value), std::sqrt(value), std::sqrt(value) * 1e-6f) << value;
    }
    EXPECT_EQ(Kiv::StdMath::Sqrt(0.0f), 0.0f);
    EXPECT_EQ(Kiv::StdMath::Sqrt(-4.0f), 0.0f);
    EXPECT_EQ(Kiv::StdMath::Sqrt(NAN), 0.0f);
}

TEST(StdMathTest, QuaternionRowsAndTheWayBack) {
    const float h = std::sqrt(0.5f);
    // A quarter turn about z: row 0 is (1 - 2z², 2zw, 0) = (0, 1, 0).
    const Kiv::Matrix3 m = Kiv::QuaternionToMatrix3({0, 0, h, h});
    const Kiv::Matrix3 expected = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], expected[i], 1e-6f) << i;
    for (const Kiv::Vector4& q : {Kiv::Vector4{0, 0, h, h}, Kiv::Vector4{h, 0, 0, h}, Kiv::Vector4{0, 1, 0, 0},
                                  Kiv::Vector4{0.5f, 0.5f, 0.5f, 0.5f}}) {
        const Kiv::Vector4 back = Kiv::Matrix3ToQuaternion(Kiv::QuaternionToMatrix3(q));
        const float sign = back.x * q.x + back.y * q.y + back.z * q.z + back.w * q.w < 0 ? -1.0f : 1.0f;
        EXPECT_NEAR(back.x * sign, q.x, 1e-5f);
        EXPECT_NEAR(back.y * sign, q.y, 1e-5f);
        EXPECT_NEAR(back.z * sign, q.z, 1e-5f);
        EXPECT_NEAR(back.w * sign, q.w, 1e-5f);
    }
}

TEST(OrientedBoxTest, HoldsEveryPointAndIsZeroForNone) {
    EXPECT_TRUE(Kiv::OrientedBox::Fit({}).IsZero());
    const Kiv::Vector3 points[] = {{0, 0, 0}, {2, 1, 0}, {-1, 3, 4}};
    const Kiv::OrientedBox box = Kiv::OrientedBox::Fit(points);
    EXPECT_EQ(box.centre, (Kiv::Vector3{0.5f, 1.5f, 2}));
    EXPECT_EQ(box.halfExtents, (Kiv::Vector3{1.5f, 1.5f, 2}));
    EXPECT_EQ(box.Corners()[7], (Kiv::Vector3{2, 3, 4}));
}

}  // namespace
