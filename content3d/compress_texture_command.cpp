// The texture conversion command, waiting for the conversion jobs: nothing is converted.
#include "content3d/compress_texture_command.h"

int32_t CompressTextureCommand(Kiv::PString&, const char*, ResultsLog&) {
    return 0;
}
