// Texture combiners: the register header of a registered text, requests by name, constants.
#include "engine/texture_combiner.h"

#include <cstdlib>

#include "engine/built_in_texts.h"
#include "engine/display.h"

namespace Kiv {

namespace {

constexpr const char* kHeaderBlock = "header";

BuiltInTexts& Texts() {
    static BuiltInTexts* texts = new BuiltInTexts;
    return *texts;
}

// "Name = r, g, b, a".
bool ParseRegisterLine(const std::string& line, CombinerRegister& out) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::vector<std::string> name = SplitWords(line.substr(0, equals));
    if (name.size() != 1) return false;
    out.name = name[0];
    float* channels[] = {&out.value.r, &out.value.g, &out.value.b, &out.value.a};
    const char* cursor = line.c_str() + equals + 1;
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        *channels[i] = std::strtof(cursor, &end);
        if (end == cursor) return false;
        cursor = end;
        while (*cursor == ' ' || *cursor == '\t') ++cursor;
        if (i < 3 && *cursor++ != ',') return false;
    }
    return *cursor == '\0';
}

}  // namespace

int TextureCombiner::GetRegisterIndex(const std::string& name) const {
    for (size_t i = 0; i < registers_.size(); ++i) {
        if (registers_[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

void TextureCombiner::SetConstant(Display& display, int index, const Color& value) {
    if (index >= 0 && static_cast<size_t>(index) < registers_.size()) {
        registers_[index].value = value;
    }
    display.Record("CombinerConstant %s %d %g %g %g %g", name_.c_str(), index, value.r, value.g,
                   value.b, value.a);
}

Color TextureCombiner::GetConstant(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= registers_.size()) return Color{};
    return registers_[index].value;
}

void TextureCombiner::Bind(Display& display) const {
    display.Record("BindCombiner %s", name_.c_str());
}

void TextureCombiner::Unbind(Display& display) const {
    display.Record("UnbindCombiner %s", name_.c_str());
}

TextureCombinerManager::~TextureCombinerManager() {
    for (auto& [name, combiner] : combiners_) combiner->ReleaseReference();
}

void TextureCombinerManager::RegisterBuiltInPrograms(const PString& name, const char* text) {
    Texts().Register(name.Text(), text);
}

std::string TextureCombinerManager::GetBuiltInText(const PString& name) {
    return Texts().Get(name.Text());
}

int TextureCombinerManager::GetRegistrationCount(const PString& name) {
    return Texts().GetRegistrationCount(name.Text());
}

bool TextureCombinerManager::ParseRegisters(const std::string& text,
                                            std::vector<CombinerRegister>& out) {
    std::vector<std::string> lines;
    out.clear();
    if (!ReadTextBlock(text, kHeaderBlock, lines)) return false;
    for (const std::string& line : lines) {
        CombinerRegister entry;
        if (!ParseRegisterLine(line, entry)) return false;
        out.push_back(entry);
    }
    return true;
}

int TextureCombinerManager::RequestProgram(Display* display, TextureCombiner** out,
                                           const PString& name, int flags) {
    *out = nullptr;
    if (display) display->Record("RequestCombiner %s %d", name.c_str(), flags);
    const std::string text = GetBuiltInText(name);
    if (text.empty()) return 1;
    const auto cached = combiners_.find(name.Text());
    if (cached == combiners_.end()) {
        std::vector<CombinerRegister> registers;
        if (!ParseRegisters(text, registers)) return 2;
        combiners_[name.Text()] = new TextureCombiner(name.Text(), registers);
    }
    TextureCombiner* combiner = combiners_[name.Text()];
    combiner->AddReference();
    *out = combiner;
    return 0;
}

}  // namespace Kiv
