// The program's message pump, which finds no message.
#include "content3d/blocking_screen_pump.h"

ProgramMessagePump& ProgramMessagePump::Instance() {
    static ProgramMessagePump pump;
    return pump;
}
