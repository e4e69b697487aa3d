// Kiv::DisplayTexture: a texture object of the display, made by Display::CreateDisplayTexture
// and owned by its caller. Its surface is made with a size, a display format and eleven
// creation arguments whose meaning is the display's (the null display keeps them as given),
// and then filled level by level from 32-bit bitmaps. The null display keeps a copy of every
// uploaded level so tests can read what reached it. Like texture-stage programs, a texture
// object may outlive its display: deleting it never touches the display.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>

namespace Kiv {

class Bitmap;
class Display;

class DisplayTexture {
public:
    static constexpr size_t kCreationArgCount = 11;
    using CreationArgs = std::array<int32_t, kCreationArgCount>;

    // 1 + floor(log2(larger side)); 0 for an empty size. display may be null.
    static uint32_t GetNumMipLevels(const Display* display, uint32_t width, uint32_t height);
    // Texture objects alive in the process, of every display.
    static int GetLiveCount();

    ~DisplayTexture();
    DisplayTexture(const DisplayTexture&) = delete;
    DisplayTexture& operator=(const DisplayTexture&) = delete;

    // The display's serial number of the object, shown in the call log.
    int GetId() const { return id_; }

    // Makes the surface; false when the display's surface failure switch is on, a side
    // lies outside 1..Bitmap::kMaxSide or a surface exists already.
    bool CreateSurface(uint32_t width, uint32_t height, int32_t format, const CreationArgs& args);
    // Copies a 32-bit bitmap into a level of the surface; false without a surface, for a
    // level beyond the mip chain, a bitmap not of the level's size (the surface's halved
    // level times, never below 1) or not 32-bit, or when the upload failure switch is on.
    bool Upload(uint32_t level, const Bitmap& bitmap, int32_t format);

    bool HasSurface() const { return width_ != 0; }
    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    int32_t GetFormat() const { return format_; }
    const CreationArgs& GetCreationArgs() const { return args_; }
    // The bitmap last uploaded into a level; null when none was.
    const Bitmap* GetLevel(uint32_t level) const;

private:
    friend class Display;
    DisplayTexture(Display* display, int id);

    Display* display_;
    int id_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    int32_t format_ = 0;
    CreationArgs args_{};
    std::map<uint32_t, std::unique_ptr<Bitmap>> levels_;
};

}  // namespace Kiv
