// Test support of code generation and the library writer: a source compiled as the top
// source of a fresh GSCompileContext (parsed, its dependency entered as number 0, checked and
// generated), the records it produced, and code as disassembly text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script_compiler/gs_code_records.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compile_log.h"

struct CompiledText {
    GSCompileLog log;
    GSCompileContext context;
    bool analysed = false;
    bool generated = false;
    std::vector<std::string> messages;

    // The record of the class of that name, or null.
    GSCClass* Class(const std::string& name);
    // The record of the function with that key ("::F(int)") in the class, or null.
    GSCFunction* Function(const std::string& className, const std::string& key);
};

// Parses text as fileName, checks it (which must pass) and generates its code.
std::unique_ptr<CompiledText> CompileText(const std::string& text, const std::string& fileName = "test.gs");

// Loads name along the include list (its id pair from its bytes) as dependency 0, declares
// each include (loaded the same way) as the next dependency, then checks and generates name.
std::unique_ptr<CompiledText> CompileFile(const std::string& name, const std::vector<std::string>& includes = {});

std::string Disassembly(const GSCodeEmitter& emitter);
// The object-typed slots of a record, in order.
std::vector<uint32_t> ObjectSlots(const GSCodeEmitter& emitter);
