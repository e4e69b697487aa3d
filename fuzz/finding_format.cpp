// The finding formatter on hostile texts: byte 0 gives the number of arguments (0 to 4),
// byte 1 their kinds (two bits each: text, integer, float, long text), bytes 2 to 9 their
// integer and float bits; the rest is the interface text. The result never exceeds its cap.
#include <cstring>

#include "fuzz_support.h"
#include "validation/darodi/finding_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 10) return 0;
    int64_t bits = 0;
    std::memcpy(&bits, data + 2, sizeof bits);
    double real = 0.0;
    std::memcpy(&real, data + 2, sizeof real);
    static const std::string longText(5000, 'w');
    const std::string_view format(reinterpret_cast<const char*>(data + 10), size - 10);
    const DAROdi::FindingArg kinds[] = {DAROdi::FindingArg("text"), DAROdi::FindingArg(bits),
                                        DAROdi::FindingArg(real), DAROdi::FindingArg(longText)};
    const auto kind = [&](int i) { return kinds[(data[1] >> (2 * i)) & 3]; };
    std::string out;
    switch (data[0] % 5) {
    case 0: out = DAROdi::FormatFindingText(format, {}); break;
    case 1: out = DAROdi::FormatFindingText(format, {kind(0)}); break;
    case 2: out = DAROdi::FormatFindingText(format, {kind(0), kind(1)}); break;
    case 3: out = DAROdi::FormatFindingText(format, {kind(0), kind(1), kind(2)}); break;
    default: out = DAROdi::FormatFindingText(format, {kind(0), kind(1), kind(2), kind(3)}); break;
    }
    if (out.size() > DAROdi::kMaxFindingBytes) std::abort();
    return 0;
}
