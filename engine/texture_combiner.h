// Pixel programs (texture combiners) and their manager. Texts are registered by program
// name; the manager reads only the "header" block, which declares the named constant
// registers in register order with their defaults (syntax in engine/README.md), and
// compiles nothing. Binding, unbinding and constants are recorded by the display.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/alloc.h"
#include "engine/matrix4.h"
#include "engine/pstring.h"

namespace Kiv {

class Display;

struct CombinerRegister {
    std::string name;
    Color value;
};

class TextureCombiner : public ReferenceCount {
public:
    TextureCombiner(const std::string& name, const std::vector<CombinerRegister>& registers)
        : name_(name), registers_(registers) {}

    const std::string& GetName() const { return name_; }
    const std::vector<CombinerRegister>& GetRegisters() const { return registers_; }
    // The index of a named register, -1 when none.
    int GetRegisterIndex(const std::string& name) const;
    // Stores the value and records "CombinerConstant <name> <index> r g b a".
    void SetConstant(Display& display, int index, const Color& value);
    Color GetConstant(int index) const;
    // Record "BindCombiner <name>" and "UnbindCombiner <name>".
    void Bind(Display& display) const;
    void Unbind(Display& display) const;

private:
    std::string name_;
    std::vector<CombinerRegister> registers_;
};

class TextureCombinerManager {
public:
    TextureCombinerManager() = default;
    ~TextureCombinerManager();
    TextureCombinerManager(const TextureCombinerManager&) = delete;
    TextureCombinerManager& operator=(const TextureCombinerManager&) = delete;

    static void RegisterBuiltInPrograms(const PString& name, const char* text);
    static std::string GetBuiltInText(const PString& name);
    static int GetRegistrationCount(const PString& name);
    // The registers of a text's header block in order; false when it has none or a line
    // of it is malformed.
    static bool ParseRegisters(const std::string& text, std::vector<CombinerRegister>& out);

    // 0 and *out with one reference; 1 no text of that name, 2 a text without a valid
    // header. One combiner object per name and manager.
    int RequestProgram(Display* display, TextureCombiner** out, const PString& name, int flags);

private:
    std::map<std::string, TextureCombiner*> combiners_;
};

}  // namespace Kiv
