// Vertex programs and their manager. Program texts are registered by file name (the
// built-in texts of the program); a program is requested by its name inside such a file.
// The manager reads only the text's program list (the "vertexProgram" block, syntax in
// engine/README.md) and compiles nothing: a program object knows its name, its vertex
// layout, its sections and the local constants last set on it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/alloc.h"
#include "engine/matrix4.h"
#include "engine/pstring.h"

namespace Kiv {

class Display;

struct VertexProgramEntry {
    std::string name;
    std::string layout;
    std::vector<std::string> sections;
};

class VertexProgram : public ReferenceCount {
public:
    explicit VertexProgram(const VertexProgramEntry& entry) : entry_(entry) {}

    const std::string& GetName() const { return entry_.name; }
    const VertexProgramEntry& GetEntry() const { return entry_; }
    // Stores the constant and records "VertexConstant <name> <index> x y z w".
    void SetLocalConstant(Display& display, int index, const Vector4& value);
    Vector4 GetLocalConstant(int index) const;
    // The constant registers holding bone matrices (three each); -1 and -1 (the default)
    // when the program has none.
    void SetMatrixRegisterRange(int first, int last) {
        firstMatrixRegister_ = first;
        lastMatrixRegister_ = last;
    }
    int GetFirstMatrixRegister() const { return firstMatrixRegister_; }
    int GetLastMatrixRegister() const { return lastMatrixRegister_; }

private:
    VertexProgramEntry entry_;
    std::map<int, Vector4> constants_;
    int firstMatrixRegister_ = -1;
    int lastMatrixRegister_ = -1;
};

class VertexProgramManager {
public:
    VertexProgramManager() = default;
    ~VertexProgramManager();
    VertexProgramManager(const VertexProgramManager&) = delete;
    VertexProgramManager& operator=(const VertexProgramManager&) = delete;

    // Files text under fileName, replacing an earlier text; counts every registration.
    static void RegisterBuiltInPrograms(const PString& fileName, const char* text);
    static std::string GetBuiltInText(const PString& fileName);
    static int GetRegistrationCount(const PString& fileName);
    // The program list of a text; empty when it has none or is malformed.
    static std::vector<VertexProgramEntry> ParseProgramList(const std::string& text);

    // 0 and *out with one reference of the program; 1 no text under fileName, 2 no such
    // program in it. One program object per name and manager.
    int RequestProgram(Display* display, VertexProgram** out, int priority, int flags,
                       const PString& name, const PString& fileName, int reserved1,
                       int reserved2);

private:
    std::map<std::string, VertexProgram*> programs_;
};

}  // namespace Kiv
