// The filter reader walks the bytes with a cursor of its own; groups recurse with a depth
// counter. Matching of texts ignores ASCII case. The category condition is a category
// pattern (";" list, "|" alternatives, "-" inverts a term), judged by the program's one
// category matcher on both texts lower-cased; the other list conditions (eras, keywords,
// regions) hold when they share a token separated by ';' or ','. Evaluation has three values:
// a condition the daemon does not judge is unknown and drops out of its group, so that
// it never decides a match, not even under a negate byte.
#include "daemon/filter_reader.h"

#include "engine/ascii.h"
#include "foundation/text/category_pattern.h"

#include <algorithm>
#include <cstring>

namespace {

// A condition's value for one asset; conditions the daemon does not judge are unknown.
enum class Truth { kNo, kYes, kUnknown };

Truth Known(bool value) {
    return value ? Truth::kYes : Truth::kNo;
}

class Cursor {
  public:
    explicit Cursor(const WireBytes& bytes) : bytes_(bytes) {}

    bool Int32(int32_t& out) {
        if (Left() < 4) return false;
        out = static_cast<int32_t>(LoadLittleEndian32(bytes_.data() + at_));
        at_ += 4;
        return true;
    }
    bool Byte(bool& out) {
        if (Left() < 1) return false;
        out = bytes_[at_++] != 0;
        return true;
    }
    bool Skip(size_t n) {
        if (Left() < n) return false;
        at_ += n;
        return true;
    }
    // The PString form: int32 length + 1 (0 for empty), the bytes, a zero.
    bool PString(std::string& out) {
        int32_t length = 0;
        if (!Int32(length) || length < 0 || static_cast<size_t>(length) > Left()) return false;
        if (length == 0) {
            out.clear();
            return true;
        }
        const char* text = reinterpret_cast<const char*>(bytes_.data() + at_);
        out.assign(text, strnlen(text, static_cast<size_t>(length)));
        at_ += static_cast<size_t>(length);
        return true;
    }
    size_t Left() const { return bytes_.size() - at_; }

  private:
    const WireBytes& bytes_;
    size_t at_ = 0;
};

bool Refuse(std::string& error, const char* why) {
    error = why;
    return false;
}

bool ReadNode(Cursor& cursor, FilterNode& node, int depth, std::string& error);

bool ReadGroup(Cursor& cursor, FilterNode& node, int depth, std::string& error) {
    if (depth >= kFilterMaxDepth) return Refuse(error, "nested too deep");
    int32_t count = 0;
    if (!cursor.Byte(node.andMode) || !cursor.Byte(node.negate) || !cursor.Int32(count)) {
        return Refuse(error, "short group");
    }
    // Every child takes at least its four tag bytes.
    if (count < 0 || static_cast<size_t>(count) > cursor.Left() / 4) {
        return Refuse(error, "bad child count");
    }
    node.children.resize(static_cast<size_t>(count));
    for (FilterNode& child : node.children) {
        if (!ReadNode(cursor, child, depth + 1, error)) return false;
    }
    return true;
}

bool ReadAssetIds(Cursor& cursor, std::string& error) {
    int32_t count = 0;
    if (!cursor.Int32(count)) return Refuse(error, "short asset-id node");
    if (count < 0 || static_cast<size_t>(count) > cursor.Left() / 8) {
        return Refuse(error, "bad asset-id count");
    }
    cursor.Skip(static_cast<size_t>(count) * 8);
    return true;
}

bool ReadNode(Cursor& cursor, FilterNode& node, int depth, std::string& error) {
    if (!cursor.Int32(node.tag)) return Refuse(error, "short tag");
    if (node.tag == kFilterGroup) return ReadGroup(cursor, node, depth, error);
    if (!cursor.Int32(node.type)) return Refuse(error, "short type");
    bool ok = true;
    switch (node.tag) {
    case kFilterString:
        ok = cursor.PString(node.value) && cursor.Byte(node.quoted);
        break;
    case kFilterBool:
        break;
    case kFilterInt:
        ok = cursor.Skip(10);
        break;
    case kFilterTimestamp:
        ok = cursor.Skip(18);
        break;
    case kFilterAssetId:
        return ReadAssetIds(cursor, error);
    default:
        return Refuse(error, "unknown tag");
    }
    return ok || Refuse(error, "short node");
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = Kiv::Ascii::ToLower(c);
    return text;
}

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string token;
    auto flush = [&] {
        const size_t first = token.find_first_not_of(" \t");
        if (first != std::string::npos) {
            tokens.push_back(Lower(token.substr(first, token.find_last_not_of(" \t") - first + 1)));
        }
        token.clear();
    };
    for (char c : text) {
        if (c == ';' || c == ',') {
            flush();
        } else {
            token += c;
        }
    }
    flush();
    return tokens;
}

bool CategoryMatches(const std::string& pattern, const std::string& category) {
    return MatchCategoryPattern(Lower(pattern).c_str(), Lower(category).c_str());
}

bool SharesToken(const std::string& wanted, const std::string& held) {
    const std::vector<std::string> heldTokens = Tokens(held);
    for (const std::string& token : Tokens(wanted)) {
        if (std::find(heldTokens.begin(), heldTokens.end(), token) != heldTokens.end()) {
            return true;
        }
    }
    return false;
}

void Unevaluated(const FilterNode& node, std::vector<std::string>& unevaluated) {
    const char* kinds[] = {"strn", "bool", "inte", "time", "asst"};
    const int32_t tags[] = {kFilterString, kFilterBool, kFilterInt, kFilterTimestamp,
                            kFilterAssetId};
    std::string text = "?";
    for (size_t i = 0; i < std::size(tags); ++i) {
        if (tags[i] == node.tag) text = kinds[i];
    }
    text += " type=" + std::to_string(node.type);
    if (std::find(unevaluated.begin(), unevaluated.end(), text) == unevaluated.end()) {
        unevaluated.push_back(text);
    }
}

Truth StringMatches(const FilterNode& node, const AssetRecord& asset,
                    std::vector<std::string>& unevaluated) {
    switch (node.type) {
    case 0: {
        const std::string name = Lower(asset.name);
        const std::string value = Lower(node.value);
        return Known(node.quoted ? name == value : name.find(value) != std::string::npos);
    }
    case 1:
        return Known(CategoryMatches(node.value, asset.category));
    case 2:
        return Known(SharesToken(node.value, asset.era));
    case 3:
        return Known(SharesToken(node.value, asset.keywords));
    case 4:
        return Known(SharesToken(node.value, asset.region));
    default:
        Unevaluated(node, unevaluated);
        return Truth::kUnknown;
    }
}

// Bool conditions the daemon evaluates. Columns: type, flag byte, bit.
struct FlagCondition {
    int32_t type;
    int byte;
    uint8_t bit;
};
const FlagCondition kFlagConditions[] = {
    {0, 0, kFlagInstalled},            // local
    {1, 0, kFlagOnService},            // fetchport
    {3, 0, kFlagInstalled},            // locally-available
    {6, 0, kFlagLocallyModified},      // locally-modified
    {8, 1, kFlagOpenForEdit},          // open-for-edit
    {9, 0, kFlagArchived},             // in-archive
    {10, 0, kFlagInstalled},           // locally-enabled
    {11, 1, kFlagMissingDependencies}, // has-missing-dependencies
    {13, 1, kFlagFaulty},              // faulty
    {14, 0, kFlagFromService},         // from-huebarn
    {15, 0, kFlagBuiltIn},             // builtin
};

Truth BoolMatches(const FilterNode& node, const AssetRecord& asset,
                  std::vector<std::string>& unevaluated) {
    for (const FlagCondition& condition : kFlagConditions) {
        if (condition.type == node.type) {
            return Known((asset.flags[condition.byte] & condition.bit) != 0);
        }
    }
    Unevaluated(node, unevaluated);
    return Truth::kUnknown;
}

Truth Evaluate(const FilterNode& node, const AssetRecord& asset,
               std::vector<std::string>& unevaluated);

// Unknown children are left out. An empty group is true; a group whose children are all
// unknown is unknown, whatever its negate byte.
Truth GroupMatches(const FilterNode& node, const AssetRecord& asset,
                   std::vector<std::string>& unevaluated) {
    if (node.children.empty()) return Known(!node.negate);
    bool result = node.andMode;
    bool judged = false;
    for (const FilterNode& child : node.children) {
        const Truth truth = Evaluate(child, asset, unevaluated);
        if (truth == Truth::kUnknown) continue;
        judged = true;
        if (node.andMode && truth == Truth::kNo) result = false;
        if (!node.andMode && truth == Truth::kYes) result = true;
    }
    if (!judged) return Truth::kUnknown;
    return Known(result != node.negate);
}

Truth Evaluate(const FilterNode& node, const AssetRecord& asset,
               std::vector<std::string>& unevaluated) {
    switch (node.tag) {
    case kFilterGroup:
        return GroupMatches(node, asset, unevaluated);
    case kFilterString:
        return StringMatches(node, asset, unevaluated);
    case kFilterBool:
        return BoolMatches(node, asset, unevaluated);
    default:
        Unevaluated(node, unevaluated);
        return Truth::kUnknown;
    }
}

} // namespace

bool ReadFilter(const WireBytes& bytes, FilterNode& root, std::string& error) {
    Cursor cursor(bytes);
    root = FilterNode();
    return ReadNode(cursor, root, 0, error);
}

bool FilterMatches(const FilterNode& node, const AssetRecord& asset,
                   std::vector<std::string>& unevaluated) {
    return Evaluate(node, asset, unevaluated) != Truth::kNo;
}
