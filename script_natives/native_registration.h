// Registration of a table of member natives of one native class T: each row pairs the exact
// signature text with the member function that implements it, bound as
// GSCPPNativeFunction<T> under the script class name; rows are registered in table order,
// each in front of the machine's native list, so a later registration of the same
// signature and class wins. Plain-function natives use GSRegisterPlainNatives.
#pragma once

#include <span>

#include "engine/pstring.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_plain_native_table.h"

template <class T> struct MemberNative {
    const char* signature;
    typename GSCPPNativeFunction<T>::Member member;
};

template <class T>
void RegisterMemberNatives(GSMachine& machine, const char* className, std::span<const MemberNative<T>> natives) {
    const Kiv::PString name(className);
    for (const MemberNative<T>& native : natives)
        machine.RegisterNative(new GSCPPNativeFunction<T>(name, Kiv::PString(native.signature), native.member));
}
