// The game's parameter text. Numbers are written in the "C" locale, as the program never
// changes it.
#include "client/launcher/launch_game.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "client/launcher/game_display_settings.h"

namespace {

// " -Frequency=<Hz>" of refresh-rate choices 1 to 7.
constexpr const char* kFrequencies[] = {
    " -Frequency=60", " -Frequency=70", " -Frequency=72", " -Frequency=75",
    " -Frequency=80", " -Frequency=85", " -Frequency=100",
};
constexpr float kLeastScreenRatio = 0.01f;

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Append(std::string& text, const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0) text.append(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1));
}

void AppendDisplay(std::string& text, const GameDisplaySettings& settings) {
    Append(text, " -Width=%u", settings.width);
    Append(text, " -Height=%u", settings.height);
    Append(text, " -ColorBits=%u", settings.colourBits);
    text += settings.fullScreen ? " -fullscreen" : " -windowed";
    if (std::fabs(settings.physicalScreenRatio) > kLeastScreenRatio)
        Append(text, " -PhysicalScreenRatio=%f", settings.physicalScreenRatio);
    if (settings.multiSampleCount > 0) Append(text, " -multiSample=%d", settings.multiSampleCount);
    Append(text, " -Render=%s", settings.renderer == 1 ? "OpenGL" : "DirectX9");
}

void AppendRendering(std::string& text, const GameDisplaySettings& settings) {
    if (!settings.stencilEnabled) text += " -DisableStencil";
    if (settings.noHardwareTransformAndLighting) text += " -nohwtnl";
    if (settings.groundPolygonOffset) text += " -groundpolyoffset";
    if (settings.verticalSync == 1) text += " -Vsync";
    if (settings.verticalSync == 2) text += " -Vsync=2";
    const uint32_t choice = settings.refreshRateChoice;
    if (choice >= 1 && choice <= std::size(kFrequencies)) text += kFrequencies[choice - 1];
    if (settings.vertexOffsetEnabled) Append(text, " -offsetvertices=%.1f", settings.vertexOffset);
}

}  // namespace

std::string LaunchGameParameters(const char* installFolder, const char* extra,
                                 const GameDisplaySettings* settings) {
    GameDisplaySettings loaded;
    if (!settings) {
        loaded.Load(installFolder);
        settings = &loaded;
    }
    std::string text = extra ? extra : "";
    AppendDisplay(text, *settings);
    AppendRendering(text, *settings);
    return text;
}
