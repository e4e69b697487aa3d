// The batch-file line tokenizer: one line with its breaks stripped, cut into arguments.
#include <string_view>

#include "client/batch_tokenizer.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::string text = KodrinUtil::StripBatchLineBreaks(line);
    const std::vector<std::string> tokens = KodrinUtil::TokenizeBatchLine(text);
    KodrinUtil::IsEmptyBatchLine(text, tokens);
    size_t total = 0;
    for (const std::string& token : tokens) total += token.size();
    fuzz::Require(total <= text.size(), "arguments come from the line");
    return 0;
}
