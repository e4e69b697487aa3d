// Tests that run byte code of OUR compiler: a source written into the test's scratch folder
// is compiled to a ".gsl" there, registered with the test's machine and loaded; instances
// are made in a context of the test's own and their functions called from native code.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_disassembler.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_string.h"
#include "script_runtime/gs_array.h"

namespace gstest {

class CompiledScriptTest : public MachineTest {
  protected:
    ~CompiledScriptTest() override { GSIncludeList::Clear(); }

    // Compiles "<name>.gs" and loads it; null (with the compiler's messages reported) when
    // either fails.
    GSLibrary* Load(const std::string& name, const std::string& source) {
        const std::string path = folder_.Write(name + ".gs", std::vector<uint8_t>(source.begin(), source.end()));
        GSCompileLog log;
        const int errors = GSCompiler::CompileToFolder(path.c_str(), nullptr, {}, &log);
        std::string message;
        while (log.Take(message)) ADD_FAILURE() << message;
        if (errors != 0) return nullptr;
        GSLibraryId id;
        if (!machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), (name + ".gsl").c_str(), &id)) return nullptr;
        library_ = machine_.GetLibrary(id.id1, id.id2);
        return library_;
    }

    GSClass* Class(const char* name) const { return library_ ? library_->FindClass(name) : nullptr; }

    // A plain native object with an instance of the class in the test's context; null when
    // the creation (its member initialisers included) fails.
    GSObject* New(const char* className) {
        GSClass* gsClass = Class(className);
        if (!gsClass) return nullptr;
        auto* object = new GSObject();
        if (object->Attach(gsClass, &context_)) return object;
        delete object;
        return nullptr;
    }

    bool Call(GSObject* object, const char* className, const char* name, GSSlot* result,
              std::vector<GSSlot> arguments = {}) {
        return GSRuntime::CallScriptFunction(&context_, Class(className), object->GetInstance(), name, result,
                                             arguments);
    }

    // The int result of a call, or a failure.
    int32_t CallInt(GSObject* object, const char* className, const char* name, std::vector<GSSlot> arguments = {}) {
        GSSlot result{};
        EXPECT_TRUE(Call(object, className, name, &result, std::move(arguments))) << name;
        return result.i;
    }

    // The text of a string result (its count released), or "<null>".
    std::string CallString(GSObject* object, const char* className, const char* name,
                           std::vector<GSSlot> arguments = {}) {
        GSSlot result{};
        EXPECT_TRUE(Call(object, className, name, &result, std::move(arguments))) << name;
        auto* reference = static_cast<GSSlot*>(result.p);
        if (!reference) return "<null>";
        const std::string text(static_cast<GSString*>(GSInstanceOf(reference)->NativeObject())->View());
        GSReleaseReference(reference);
        return text;
    }

    std::string Disassembly(const char* className, const char* function) const {
        const GSClass* gsClass = Class(className);
        const int index = gsClass ? gsClass->FindFunctionIndex(function) : -1;
        if (index < 0) return "<no function>";
        return DisassembleGSCode(gsClass->Functions()[static_cast<size_t>(index)].code).text;
    }

    GSContext context_;
    GSLibrary* library_ = nullptr;
};

inline GSSlot Int(int32_t value) { return GSIntSlot(value); }

}  // namespace gstest
