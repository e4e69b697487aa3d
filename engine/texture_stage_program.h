// Texture-stage programs: the fixed-function set-up of one texture stage, made by the
// display from a stage number and two Kiv::TextureArgs (colour, then alpha). The display
// passes the argument values through unchanged; their meaning is the display's.
#pragma once

#include <array>
#include <cstdint>

namespace Kiv {

using ModeType = int32_t;
using DTexFuncType = int32_t;

struct TexArg {
    uint8_t flag = 0;
    int32_t first = 0;
    int32_t second = 0;
    bool operator==(const TexArg&) const = default;
};

class TextureArgs {
public:
    TextureArgs(int32_t value, uint32_t count, ModeType mode, DTexFuncType function,
                const std::array<TexArg, 4>& args)
        : value_(value), count_(count), mode_(mode), function_(function), args_(args) {}

    int32_t GetValue() const { return value_; }
    uint32_t GetCount() const { return count_; }
    ModeType GetMode() const { return mode_; }
    DTexFuncType GetFunction() const { return function_; }
    const std::array<TexArg, 4>& GetArgs() const { return args_; }
    bool operator==(const TextureArgs&) const = default;

private:
    int32_t value_;
    uint32_t count_;
    ModeType mode_;
    DTexFuncType function_;
    std::array<TexArg, 4> args_;
};

class TextureStageProgram {
public:
    TextureStageProgram(int stage, const TextureArgs& color, const TextureArgs& alpha, int id)
        : stage_(stage), color_(color), alpha_(alpha), id_(id) {}

    int GetStage() const { return stage_; }
    const TextureArgs& GetColorArgs() const { return color_; }
    const TextureArgs& GetAlphaArgs() const { return alpha_; }
    // The display's serial number of the program, shown in the call log.
    int GetId() const { return id_; }

private:
    int stage_;
    TextureArgs color_;
    TextureArgs alpha_;
    int id_;
};

}  // namespace Kiv
