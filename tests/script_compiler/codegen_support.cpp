// Compiling test sources into a context and reading the records (see codegen_support.h).
#include "codegen_support.h"

#include <gtest/gtest.h>

#include <sstream>

#include "parse_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_parser_actions.h"
#include "script_runtime/gs_disassembler.h"

namespace {

// Enters a parsed source as the next dependency.
GSDependentSymbol* EnterDependency(GSCompileContext& context, const CompileArena& arena, const std::string& fileName) {
    GSDependentSymbol* dependency = context.table.NewDependency(fileName.c_str());
    context.table.Add(nullptr, dependency, false);
    dependency->index = context.nextDependency++;
    dependency->id1 = arena.id1;
    dependency->id2 = arena.id2;
    return dependency;
}

// Declares an include's classes (its bodies unchecked) as the next dependency.
void AnalyseInclude(CompiledText& compiled, const std::string& includeName) {
    GSCompileContext& context = compiled.context;
    CompileArena include;
    include.Reset(&context.table, &compiled.log);
    ASSERT_EQ(GSCompiler::LoadAndParse(includeName.c_str(), include), 0) << includeName;
    context.table.currentDependency = EnterDependency(context, include, includeName);
    GSAnalyseState state;
    state.include = true;
    EXPECT_TRUE(GSCompiler::AnalyseTree(state, include.root, include));
}

// Checks the top source (entered as dependency 0 before any include) and generates its code.
void CheckAndGenerate(CompiledText& compiled, GSDependentSymbol* dependency) {
    GSCompileContext& context = compiled.context;
    context.table.currentDependency = dependency;
    context.table.ResetReferenceNumbers();
    GSAnalyseState state;
    compiled.analysed = GSCompiler::AnalyseTree(state, context.arena.root, context.arena);
    compiled.messages = TakeMessages(compiled.log);
    EXPECT_TRUE(compiled.analysed);
    EXPECT_TRUE(compiled.messages.empty()) << (compiled.messages.empty() ? "" : compiled.messages[0]);
    compiled.generated = GSCompiler::GenerateCode(context);
    compiled.messages = TakeMessages(compiled.log);
}

std::unique_ptr<CompiledText> NewCompile() {
    auto compiled = std::make_unique<CompiledText>();
    compiled->context.arena.Reset(&compiled->context.table, &compiled->log);
    compiled->context.table.arena = &compiled->context.arena;
    return compiled;
}

}  // namespace

std::unique_ptr<CompiledText> CompileText(const std::string& text, const std::string& fileName) {
    auto compiled = NewCompile();
    CompileArena& arena = compiled->context.arena;
    arena.fileName = arena.CopyText(fileName.c_str());
    std::istringstream input(text);
    EXPECT_EQ(GSScanAndParse(arena, input), 0) << text;
    CheckAndGenerate(*compiled, EnterDependency(compiled->context, arena, fileName));
    return compiled;
}

std::unique_ptr<CompiledText> CompileFile(const std::string& name, const std::vector<std::string>& includes) {
    auto compiled = NewCompile();
    EXPECT_EQ(GSCompiler::LoadAndParse(name.c_str(), compiled->context.arena), 0) << name;
    GSDependentSymbol* top = EnterDependency(compiled->context, compiled->context.arena, name);
    for (const std::string& include : includes) AnalyseInclude(*compiled, include);
    CheckAndGenerate(*compiled, top);
    return compiled;
}

GSCClass* CompiledText::Class(const std::string& name) {
    for (auto* node = context.classes.Begin(); node != context.classes.End(); node = node->Next()) {
        auto* record = static_cast<GSCClass*>(node);
        if (name == record->symbol->name) return record;
    }
    return nullptr;
}

GSCFunction* CompiledText::Function(const std::string& className, const std::string& key) {
    GSCClass* record = Class(className);
    if (!record) return nullptr;
    for (auto* node = record->functions.Begin(); node != record->functions.End(); node = node->Next()) {
        auto* function = static_cast<GSCFunction*>(node);
        if (key == function->symbol->name) return function;
    }
    return nullptr;
}

std::string Disassembly(const GSCodeEmitter& emitter) {
    return DisassembleGSCode({emitter.code.Data(), emitter.code.Length()}).text;
}

std::vector<uint32_t> ObjectSlots(const GSCodeEmitter& emitter) {
    std::vector<uint32_t> slots;
    const uint8_t* bytes = emitter.objectSlots.Data();
    for (uint32_t i = 0; i + 4 <= emitter.objectSlots.Length(); i += 4)
        slots.push_back(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 | static_cast<uint32_t>(bytes[i + 3]) << 24);
    return slots;
}
