// A ".gsl" image written by hand for the loader's tests, word by word after the library
// format: header, dependencies, string table, class and function references, and class
// chunks with their function list, members, method table and layout. Names are given as
// text and interned into the string table in the order they are first used; the strings
// are stored in reverse index order, so only the offsets find them. It never calls the
// compiler's writer. Each section's start is recorded, for tests that cut the image there.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace gsl {

struct Function {
    std::string name;
    uint32_t returnType = 0;
    int32_t returnClass = -1;
    uint32_t flags = 0x1;
    int32_t slot = 0;
    int32_t arguments = 1;  // P
    int32_t locals = 0;     // A
    int32_t temporaries = 0;  // B
    int32_t depth = 0;      // D
    std::vector<uint32_t> objectSlots;
    std::vector<uint8_t> code{109};  // OP_Return
    bool lineTable = true;
    std::vector<std::pair<uint32_t, uint32_t>> lines;
};

struct Ancestor {
    uint32_t classRef;
    int32_t offset;
    uint32_t direct;
};

struct Member {
    std::string name;
    uint32_t type = 2;
    int32_t classRef = -1;
    uint32_t flags = 0;
    int32_t slot = 2;
};

struct Class {
    std::string name;
    uint32_t flags = 0;
    std::vector<Ancestor> ancestors;
    std::vector<Function> functions;
    std::vector<uint8_t> initialiserCode;  // empty: nothing to initialise
    int32_t initialiserTemporaries = 0;
    std::vector<Member> members;
    std::vector<std::pair<uint32_t, int32_t>> methods;  // function-ref index, variable offset
    int32_t instanceSlots = 5;
    std::vector<std::array<int32_t, 3>> triples{{1, 1, 0}};
    std::vector<uint32_t> objectSlots;
};

struct ClassRef {
    uint32_t dependency;
    std::string name;
};

struct FunctionRef {
    uint32_t classRef;
    std::string name;
    int32_t slot;
};

class Image {
  public:
    uint32_t id1 = 0x1111;
    uint32_t id2 = 0x2222;
    std::string sourceName = "test.gs";
    uint32_t versionBits = 0x3F828F5C;  // 1.02
    std::vector<std::pair<uint32_t, uint32_t>> dependencies;  // empty: only itself
    std::vector<ClassRef> classRefs;
    std::vector<FunctionRef> functionRefs;
    std::vector<Class> classes;
    std::vector<std::string> extraStrings;  // interned first

    // Section starts, filled by Build: 2, 3, 4, 5, 6, then each class chunk.
    std::vector<size_t> boundaries;

    std::vector<uint8_t> Build() {
        strings_.clear();
        boundaries.clear();
        tailBoundaries_.clear();
        for (const std::string& text : extraStrings) Intern(text);
        std::vector<uint8_t> tail;
        WriteClassRefs(tail);
        WriteFunctionRefs(tail);
        WriteClasses(tail);

        std::vector<uint8_t> out;
        Word(out, 0);
        Word(out, 0xF762575D);
        Word(out, versionBits);
        Word(out, id1);
        Word(out, id2);
        Word(out, static_cast<uint32_t>(sourceName.size() + 1));
        out.insert(out.end(), sourceName.begin(), sourceName.end());
        out.push_back(0);
        boundaries.push_back(out.size());
        WriteDependencies(out);
        boundaries.push_back(out.size());
        WriteStrings(out);
        const size_t tailStart = out.size();
        for (size_t& boundary : tailBoundaries_) boundaries.push_back(tailStart + boundary);
        out.insert(out.end(), tail.begin(), tail.end());
        Patch(out, 0, static_cast<uint32_t>(out.size()));
        return out;
    }

    uint32_t Intern(const std::string& text) {
        for (size_t i = 0; i < strings_.size(); ++i)
            if (strings_[i] == text) return static_cast<uint32_t>(i);
        strings_.push_back(text);
        return static_cast<uint32_t>(strings_.size() - 1);
    }

    static void Word(std::vector<uint8_t>& out, uint32_t value) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    static void Patch(std::vector<uint8_t>& out, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    static uint32_t Read(const std::vector<uint8_t>& bytes, size_t at) {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t{bytes[at + i]} << (8 * i);
        return value;
    }

  private:
    // Opens a chunk: reserves the size word and writes the tag; Close patches the size.
    static size_t Open(std::vector<uint8_t>& out, uint32_t tag) {
        const size_t start = out.size();
        Word(out, 0);
        Word(out, tag);
        return start;
    }
    static void Close(std::vector<uint8_t>& out, size_t start) {
        Patch(out, start, static_cast<uint32_t>(out.size() - start));
    }

    void WriteDependencies(std::vector<uint8_t>& out) {
        const size_t start = Open(out, 2);
        Word(out, static_cast<uint32_t>(dependencies.size() + 1));
        Word(out, id1);
        Word(out, id2);
        for (const auto& [a, b] : dependencies) {
            Word(out, a);
            Word(out, b);
        }
        Close(out, start);
    }

    void WriteStrings(std::vector<uint8_t>& out) {
        const size_t start = Open(out, 3);
        Word(out, static_cast<uint32_t>(strings_.size()));
        if (!strings_.empty()) {
            const size_t table = out.size();
            for (size_t i = 0; i < strings_.size(); ++i) Word(out, 0);
            const size_t text = out.size();
            for (size_t i = strings_.size(); i-- > 0;) {
                Patch(out, table + 4 * i, static_cast<uint32_t>(out.size() - text));
                out.insert(out.end(), strings_[i].begin(), strings_[i].end());
                out.push_back(0);
            }
            while (out.size() % 4) out.push_back(0);
        }
        Close(out, start);
    }

    void WriteClassRefs(std::vector<uint8_t>& out) {
        tailBoundaries_.push_back(out.size());
        const size_t start = Open(out, 4);
        Word(out, static_cast<uint32_t>(classRefs.size()));
        for (const ClassRef& ref : classRefs) {
            Word(out, ref.dependency);
            Word(out, Intern(ref.name));
        }
        Close(out, start);
    }

    void WriteFunctionRefs(std::vector<uint8_t>& out) {
        tailBoundaries_.push_back(out.size());
        const size_t start = Open(out, 5);
        Word(out, static_cast<uint32_t>(functionRefs.size()));
        for (const FunctionRef& ref : functionRefs) {
            Word(out, ref.classRef);
            Word(out, Intern(ref.name));
            Word(out, static_cast<uint32_t>(ref.slot));
        }
        Close(out, start);
    }

    void WriteClasses(std::vector<uint8_t>& out) {
        tailBoundaries_.push_back(out.size());
        const size_t start = Open(out, 6);
        Word(out, static_cast<uint32_t>(classes.size()));
        for (const Class& c : classes) {
            tailBoundaries_.push_back(out.size());
            WriteClass(out, c);
        }
        Close(out, start);
    }

    void WriteClass(std::vector<uint8_t>& out, const Class& c) {
        const size_t start = Open(out, 7);
        Word(out, Intern(c.name));
        Word(out, c.flags);
        Word(out, static_cast<uint32_t>(c.ancestors.size()));
        for (const Ancestor& a : c.ancestors) {
            Word(out, a.classRef);
            Word(out, static_cast<uint32_t>(a.offset));
            Word(out, a.direct);
        }
        const size_t list = Open(out, 8);
        Word(out, static_cast<uint32_t>(c.functions.size() + 1));
        for (const Function& f : c.functions) WriteFunction(out, f);
        Function initialiser;
        initialiser.name = "::" + c.name + "()";
        initialiser.flags = 0x20;
        initialiser.slot = -1;
        initialiser.temporaries = c.initialiserTemporaries;
        initialiser.code = c.initialiserCode;
        initialiser.lineTable = false;
        WriteFunction(out, initialiser);
        Close(out, list);

        const size_t members = Open(out, 10);
        Word(out, static_cast<uint32_t>(c.members.size()));
        for (const Member& m : c.members) {
            Word(out, Intern(m.name));
            Word(out, m.type);
            Word(out, static_cast<uint32_t>(m.classRef));
            Word(out, m.flags);
            Word(out, static_cast<uint32_t>(m.slot));
        }
        Close(out, members);

        const size_t methods = Open(out, 11);
        Word(out, static_cast<uint32_t>(c.methods.size()));
        for (const auto& [ref, offset] : c.methods) {
            Word(out, ref);
            Word(out, static_cast<uint32_t>(offset));
        }
        Close(out, methods);

        const size_t layout = Open(out, 12);
        Word(out, static_cast<uint32_t>(c.instanceSlots));
        Word(out, static_cast<uint32_t>(c.triples.size()));
        for (const auto& t : c.triples)
            for (int32_t v : t) Word(out, static_cast<uint32_t>(v));
        Word(out, static_cast<uint32_t>(c.objectSlots.size()));
        for (uint32_t s : c.objectSlots) Word(out, s);
        Close(out, layout);
        Close(out, start);
    }

    void WriteFunction(std::vector<uint8_t>& out, const Function& f) {
        const size_t start = Open(out, 9);
        Word(out, Intern(f.name));
        Word(out, f.returnType);
        Word(out, static_cast<uint32_t>(f.returnClass));
        Word(out, f.flags);
        Word(out, static_cast<uint32_t>(f.slot));
        const int32_t ab = f.locals + f.temporaries;
        Word(out, static_cast<uint32_t>(ab + 4));
        Word(out, static_cast<uint32_t>(1 - f.arguments));
        Word(out, static_cast<uint32_t>(ab + 1));
        Word(out, static_cast<uint32_t>(f.depth + ab + 4));
        Word(out, static_cast<uint32_t>(f.arguments));
        Word(out, static_cast<uint32_t>(f.locals));
        Word(out, static_cast<uint32_t>(f.temporaries));
        Word(out, static_cast<uint32_t>(f.objectSlots.size()));
        for (uint32_t s : f.objectSlots) Word(out, s);
        Word(out, static_cast<uint32_t>(f.code.size()));
        out.insert(out.end(), f.code.begin(), f.code.end());
        while (out.size() % 4) out.push_back(0xFF);
        if (f.lineTable) {
            Word(out, 0x6462676C);
            Word(out, static_cast<uint32_t>(f.lines.size()));
            for (const auto& [offset, line] : f.lines) {
                Word(out, offset);
                Word(out, line);
            }
        }
        Close(out, start);
    }

    std::vector<std::string> strings_;
    std::vector<size_t> tailBoundaries_;
};

}  // namespace gsl
