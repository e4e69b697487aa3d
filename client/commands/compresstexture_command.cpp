// `compresstexture`: converts every texture description below a folder. The folder is the
// argument as typed when absolute, else taken below the program's folder (the working
// folder while a command runs); the conversion's resource databases are opened under the
// installation folder. Ctrl+C or a shut-down (SIGINT, SIGTERM) stops the run at its next
// safe point: no new texture is started, every description gets its own name back, and
// the command fails saying it was interrupted.
#include "client/commands/install_commands.h"
#include "client/commands/road_commands.h"
#include "link/kav/kav_user_data.h"
#include "content3d/compress_texture_command.h"
#include "content3d/resource_database_holder.h"
#include "foundation/crash/interrupt_request.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr int32_t kEveryTextureConverted = 2;

}  // namespace

int CommandCompressTexture(CommandContext& context) {
    ResourceDatabaseHolder::SetInstallFolder(KAVUserData::GetInstallFolder().c_str());
    Kiv::File::Path folder = AbsoluteArgumentPath(context.Element(2));
    folder.Normalize();
    const InterruptRequestScope interruptible;
    const int32_t result = CompressTextureCommand(Kiv::PString(), folder.c_str(), context.log);
    if (IsInterruptRequested()) {
        context.log.AddEntry(ResultsLogKind::Error, nullptr,
                             "Interrupted: the textures not yet converted were left as they were, "
                             "every description under its own name.");
        return -1;
    }
    return result == kEveryTextureConverted ? 0 : -1;
}

}  // namespace KodrinUtil
