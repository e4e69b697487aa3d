// Hostile byte code past the loader's structural checks: a library compiled by our compiler
// (from the source below, once per process) whose code bytes, and only those, are changed
// by the input (input byte i is added to code byte i of the functions' code laid end to
// end), so every image keeps its sections, records and lengths and reaches the byte-code
// verifiers. What passes them is run: instances are made and every function without
// arguments is called (gs_script_calls.h). No input may crash, hang or read outside the
// image; a load ends in 0 or -1.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "gs_script_calls.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "foundation/streams/little_endian.h"
#include "script_compiler/gs_include_list.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"

namespace {

const char* const kSource =
    "class Base\n"
    "{\n"
    "  public int value = 3;\n"
    "  public string name = \"base\";\n"
    "  public int[] cells = new int[4];\n"
    "  public int Value() { return value; }\n"
    "  public void Set(int v) { value = v; }\n"
    "  public string Name() { return name + value; }\n"
    "};\n"
    "class Derived isclass Base\n"
    "{\n"
    "  float scale = 1.5;\n"
    "  Base other;\n"
    "  string[] words = new string[2];\n"
    "  public int Value() { return inherited() * 2; }\n"
    "  public float Scaled() { return scale * Value(); }\n"
    "  public Base Other() { if (!other) other = new Base(); return other; }\n"
    "  public int Walk()\n"
    "  {\n"
    "    int i, sum = 0;\n"
    "    for (i = 0; i < 10; i++) { cells[i % 4] = cells[i % 4] + i; sum = sum + cells[i % 4]; }\n"
    "    switch (sum) { case 1: sum = 2; break; case 50: sum = 3; break; default: sum = -1; }\n"
    "    return sum;\n"
    "  }\n"
    "  public string Words()\n"
    "  {\n"
    "    words[0] = Name();\n"
    "    words[1] = Other().Name();\n"
    "    string all = words[0] + \",\" + words[1];\n"
    "    return all[1, all.size() - 1];\n"
    "  }\n"
    "  public void Both() { Set(Walk()); Other().Set(Value()); }\n"
    "};\n";

// The image's own pair is registered as loading, so its dependency 0 (itself) resolves.
int LoadSelf(GSMachine& machine, GSLibrary& library, std::span<const uint8_t> image) {
    machine.Init();
    auto entry = std::make_unique<GSLinkEntry>();
    entry->id1 = static_cast<uint32_t>(LoadLittleEndian(image.data() + 12, 4));
    entry->id2 = static_cast<uint32_t>(LoadLittleEndian(image.data() + 16, 4));
    entry->library = &library;
    machine.InsertLinkEntry(std::move(entry));
    return library.Load(&machine, image);
}

struct Compiled {
    std::vector<uint8_t> image;
    std::vector<std::span<uint8_t>> code;  // the functions' code inside `image`
};

// Compiles the source and finds every function's code in the image.
Compiled Compile() {
    Compiled compiled;
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    const std::string source = (folder / "code.gs").string();
    fuzz::WriteFile(folder / "code.gs", reinterpret_cast<const uint8_t*>(kSource), std::strlen(kSource));
    GSIncludeList::Clear();
    GSCompileLog log;
    fuzz::Require(GSCompiler::CompileToFolder(source.c_str(), nullptr, {}, &log) == 0, "the source compiles");
    std::ifstream in(folder / "code.gsl", std::ios::binary);
    compiled.image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fuzz::Require(compiled.image.size() >= 20, "the compiled library was written");
    GSMachine machine;
    GSLibrary library;
    fuzz::Require(LoadSelf(machine, library, compiled.image) == GS_LOAD_OK, "the compiled library loads");
    for (size_t i = 0; i < library.ClassCount(); ++i) {
        for (const GSFunction& function : library.ClassAt(i)->Functions()) {
            if (function.code.empty()) continue;
            const size_t at = static_cast<size_t>(function.code.data() - library.Image().data());
            compiled.code.emplace_back(compiled.image.data() + at, function.code.size());
        }
    }
    return compiled;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Compiled compiled = Compile();
    std::vector<uint8_t> image = compiled.image;
    size_t used = 0;
    for (std::span<uint8_t> code : compiled.code) {
        uint8_t* bytes = image.data() + (code.data() - compiled.image.data());
        for (size_t i = 0; i < code.size() && used < size; ++i)
            bytes[i] = static_cast<uint8_t>(bytes[i] + data[used++]);
    }
    GSMachine machine;
    GSLibrary library;
    const int result = LoadSelf(machine, library, image);
    fuzz::Require(result == GS_LOAD_OK || result == GS_LOAD_FORMAT_ERROR,
                  "a load of changed code ends in 0 or -1");
    if (result == GS_LOAD_OK) fuzz::RunLibrary(library);
    return 0;
}
