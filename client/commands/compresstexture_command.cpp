// `compresstexture`: converts the textures below a folder. A path that is already absolute
// is used as given: the drive-qualified form ("c:\...") and, on this platform, a path
// that starts with a separator; anything else is taken below the working folder (the
// program's folder). Success only when every texture converted.
#include <string_view>

#include "client/commands/road_commands.h"
#include "content3d/compress_texture_command.h"
#include "engine/file.h"
#include "engine/file_path.h"

namespace KodrinUtil {

namespace {

constexpr int32_t kEveryTextureConverted = 2;

bool IsDriveQualified(std::string_view path) {
    return path.size() >= 4 && path[1] == ':' && path[2] == '\\';
}

}  // namespace

Kiv::File::Path CompressTexturePath(const char* argument) {
    const Kiv::File::Path given(argument);
    if (IsDriveQualified(given.View()) || given.IsAbsolute()) return given;
    Kiv::File::Path path(Kiv::File::GetCwd());
    path.AddPath(argument);
    path.Normalize();
    return path;
}

int CommandCompressTexture(CommandContext& context) {
    const Kiv::File::Path path = CompressTexturePath(context.Element(2));
    Kiv::PString text;
    const int32_t result = CompressTextureCommand(text, path.c_str(), context.log);
    return result == kEveryTextureConverted ? 0 : -1;
}

}  // namespace KodrinUtil
