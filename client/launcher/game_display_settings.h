// GameDisplaySettings: the game's display choices, kept in "Kodrin.cfg" in the installation
// folder: four magic words, a version (3) and fifteen 32-bit fields, all little-endian, in
// the order of the members below. Older files are still read: version 0 has no header
// and no multi-sample count, version 1 one more word after the ground polygon offset, and
// versions 1 and 2 had a multi-sample count that is no longer trusted (it becomes 4).
#pragma once

#include <cstdint>

struct GameDisplaySettings {
    static constexpr const char* kFileName = "Kodrin.cfg";
    static constexpr int32_t kVersion = 3;

    uint32_t width;
    uint32_t colourBits;
    uint32_t verticalSync;         // 0 off, 1 on, 2 every second frame
    uint32_t refreshRateChoice;    // 0 the display's own; 1 to 7: 60, 70, 72, 75, 80, 85, 100 Hz
    uint32_t stencilEnabled;
    uint32_t renderer;             // 1 OpenGL, 0 DirectX 9
    uint32_t noHardwareTransformAndLighting;
    uint32_t groundPolygonOffset;
    uint32_t reservedFlag;         // stored and read back, passed on to nothing
    uint32_t vertexOffsetEnabled;
    float vertexOffset;
    uint32_t height;
    uint32_t fullScreen;
    float physicalScreenRatio;     // 0: not given
    int32_t multiSampleCount;

    GameDisplaySettings() { SetDefaults(); }

    void SetDefaults();
    // Writes the file in folder; false when it cannot be made or written whole.
    bool Save(const char* folder) const;
    // The defaults, then the file in folder when it can be read: false only when it cannot
    // be opened. A file of a later version, or one that ends before its last field, leaves
    // the defaults.
    bool Load(const char* folder);
};
