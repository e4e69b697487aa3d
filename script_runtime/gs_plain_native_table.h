// Registration of a table of plain native functions of one script class: each row pairs the
// exact signature text with the function that implements it, and the rows are registered in
// table order (the machine's native list then holds them newest first).
#pragma once

#include <span>

#include "engine/pstring.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_native_function.h"

struct GSPlainNative {
    const char* signature;
    GSCNativeFunction::Function function;
};

inline void GSRegisterPlainNatives(GSMachine& machine, const char* className,
                                   std::span<const GSPlainNative> natives) {
    const Kiv::PString name(className);
    for (const GSPlainNative& native : natives)
        machine.RegisterNative(new GSCNativeFunction(name, Kiv::PString(native.signature), native.function));
}
