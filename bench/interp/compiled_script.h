// CompiledScript: one class of a script source compiled by our compiler into a scratch
// folder, loaded into a machine of its own, with one instance whose int functions of one int
// argument the interpreter benchmarks call through GSRuntime::CallScriptFunction.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_runtime_call.h"

class CompiledScript {
  public:
    CompiledScript(const char* source, const char* className) {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/kodrin-interp-XXXXXX";
        if (!mkdtemp(pattern.data())) return;
        folder_ = pattern;
        std::ofstream(folder_ + "/bench.gs", std::ios::binary) << source;
        GSCompileLog log;
        if (GSCompiler::CompileToFolder((folder_ + "/bench.gs").c_str(), nullptr, {}, &log) != 0) return;
        machine_.Init();
        GSLibraryId id;
        if (!machine_.AddLibrary(Kiv::PString(), folder_.c_str(), "bench.gsl", &id)) return;
        GSLibrary* library = machine_.GetLibrary(id.id1, id.id2);
        class_ = library ? library->FindClass(className) : nullptr;
        if (class_ && object_.Attach(class_, &context_)) ready_ = true;
    }
    ~CompiledScript() {
        object_.Attach(nullptr, nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    bool Ready() const { return ready_; }
    // The function's int result; -1 when the call fails.
    int32_t CallInt(const char* function, int32_t value) {
        GSSlot result{};
        const GSSlot argument = GSIntSlot(value);
        if (!GSRuntime::CallScriptFunction(&context_, class_, object_.GetInstance(), function, &result,
                                           std::span<const GSSlot>(&argument, 1)))
            return -1;
        return result.i;
    }

  private:
    std::string folder_;
    GSMachine machine_;
    GSContext context_;
    GSObject object_;
    GSClass* class_ = nullptr;
    bool ready_ = false;
};
