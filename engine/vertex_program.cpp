// Vertex programs: the program list of a registered text, requests by name, constants.
#include "engine/vertex_program.h"

#include "engine/built_in_texts.h"
#include "engine/display.h"

namespace Kiv {

namespace {

constexpr const char* kProgramBlock = "vertexProgram";

BuiltInTexts& Texts() {
    static BuiltInTexts* texts = new BuiltInTexts;
    return *texts;
}

}  // namespace

void VertexProgram::SetLocalConstant(Display& display, int index, const Vector4& value) {
    constants_[index] = value;
    display.Record("VertexConstant %s %d %g %g %g %g", entry_.name.c_str(), index, value.x,
                   value.y, value.z, value.w);
}

Vector4 VertexProgram::GetLocalConstant(int index) const {
    const auto found = constants_.find(index);
    return found == constants_.end() ? Vector4{} : found->second;
}

VertexProgramManager::~VertexProgramManager() {
    for (auto& [name, program] : programs_) program->ReleaseReference();
}

void VertexProgramManager::RegisterBuiltInPrograms(const PString& fileName, const char* text) {
    Texts().Register(fileName.Text(), text);
}

std::string VertexProgramManager::GetBuiltInText(const PString& fileName) {
    return Texts().Get(fileName.Text());
}

int VertexProgramManager::GetRegistrationCount(const PString& fileName) {
    return Texts().GetRegistrationCount(fileName.Text());
}

// Each line of the block: program name, vertex layout, then its sections in order.
std::vector<VertexProgramEntry> VertexProgramManager::ParseProgramList(const std::string& text) {
    std::vector<std::string> lines;
    std::vector<VertexProgramEntry> entries;
    if (!ReadTextBlock(text, kProgramBlock, lines)) return entries;
    for (const std::string& line : lines) {
        std::vector<std::string> words = SplitWords(line);
        if (words.size() < 2) return {};
        VertexProgramEntry entry{words[0], words[1], {}};
        entry.sections.assign(words.begin() + 2, words.end());
        entries.push_back(std::move(entry));
    }
    return entries;
}

int VertexProgramManager::RequestProgram(Display* display, VertexProgram** out, int priority,
                                         int flags, const PString& name, const PString& fileName,
                                         int reserved1, int reserved2) {
    *out = nullptr;
    if (display) {
        display->Record("RequestVertexProgram %s %s %d %d %d %d", name.c_str(), fileName.c_str(),
                        priority, flags, reserved1, reserved2);
    }
    const std::string text = GetBuiltInText(fileName);
    if (text.empty()) return 1;
    const auto cached = programs_.find(name.Text());
    if (cached != programs_.end()) {
        cached->second->AddReference();
        *out = cached->second;
        return 0;
    }
    for (const VertexProgramEntry& entry : ParseProgramList(text)) {
        if (entry.name != name.View()) continue;
        VertexProgram* program = new VertexProgram(entry);
        programs_[entry.name] = program;
        program->AddReference();
        *out = program;
        return 0;
    }
    return 2;
}

}  // namespace Kiv
