// The protected script file reader (".gse"): the file loaded from a scratch folder and its
// payload decrypted. A payload that decrypts encrypts again and decrypts to the same text.
#include <vector>

#include "fuzz_support.h"
#include "script_compiler/script_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path path = fuzz::ScratchFolder() / "fuzz.gse";
    fuzz::WriteFile(path, data, size);
    ScriptFile file;
    if (!file.Load(nullptr, path.c_str())) return 0;
    const uint32_t length = file.GetLength();
    const uint8_t* text = file.GetData();
    if (!text || length == 0) return 0;
    const std::vector<uint8_t> plain(text, text + length);
    fuzz::Require(file.Encrypt(), "plain text encrypts");
    fuzz::Require(file.Decrypt(), "own payload decrypts");
    fuzz::Require(file.GetLength() == plain.size() &&
                      std::equal(plain.begin(), plain.end(), file.GetData()),
                  "decrypts to the same text");
    return 0;
}
