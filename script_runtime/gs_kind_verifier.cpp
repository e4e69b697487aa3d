// The typed pass: a worklist data flow over a function's instructions. An abstract stack
// entry is a value, a reference, a zero (either), or a call's result whose kind, and while it
// is not yet known whether the callee returns anything, whose presence is still open. What a
// later use of such an entry proves (a pop of a reference, two stacks meeting at a jump
// target, a return that needs an empty stack) is learned for its call site (call sites that
// meet share what they learn) and the walk starts again, until a walk learns nothing; call
// sites whose presence nothing decided return nothing. The last walk is the check.
#include "script_runtime/gs_kind_verifier.h"

#include <array>
#include <cstddef>
#include <utility>

#include "foundation/streams/little_endian.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_opcode.h"

namespace {

enum EntryKind : uint8_t { kZero, kValue, kReference, kResult, kMaybe };

struct Entry {
    EntryKind kind = kZero;
    uint32_t call = 0;  // the call site of kResult and kMaybe
    bool operator==(const Entry&) const = default;
};

using AbstractStack = std::vector<Entry>;

enum Presence : uint8_t { kOpen, kAbsent, kPresent };

struct CallSite {
    size_t instruction = 0;
    uint32_t parent = 0;
    Presence presence = kOpen;
    GSSlotKind kind = GS_KIND_TAGGED;  // GS_KIND_TAGGED while unknown
    bool thread = false;
    uint32_t firstArgument = 0;  // its arguments' kinds in the walker's flat list
    uint32_t argumentCount = 0;
};

// Stack effects of the instructions without special rules: "taken>left", bottom first.
// Taken: v value, r reference, x either kind. Left: v, r, z a zero, or the digit of a taken
// entry that stays. Null for the instructions handled apart.
const char* PatternOf(GSOpcode opcode) {
    switch (opcode) {
        case OP_IntAdd: case OP_IntSub: case OP_IntMul: case OP_IntDiv: case OP_IntMod:
        case OP_IntCompare: case OP_IntAnd: case OP_IntOr: case OP_IntXor: case OP_IntShiftLeft:
        case OP_IntShiftRight: case OP_FloatAdd: case OP_FloatSub: case OP_FloatMul:
        case OP_FloatDiv: case OP_FloatMod: case OP_FloatCompare: return "vv>v";
        case OP_IntNeg: case OP_IntInc: case OP_IntDec: case OP_IntToFloat: case OP_IntNot:
        case OP_IntComplement: case OP_FloatNeg: case OP_FloatInc: case OP_FloatDec:
        case OP_FloatToInt: case OP_FloatNot: case OP_IsNegative: case OP_IsNotPositive:
        case OP_IsPositive: case OP_IsNotNegative: case OP_IntToBool: return "v>v";
        case OP_PushZero: return ">z";
        case OP_PushOne: case OP_PushInt: case OP_LocalLoad: case OP_SelfLoad: return ">v";
        case OP_LocalLoadObject: case OP_SelfLoadObject: case OP_StringNew: case OP_StringConst:
        case OP_ObjectNew: case OP_ObjectStatic: return ">r";
        case OP_LocalStore: case OP_SelfStore: case OP_Pop: case OP_JumpIfZero:
        case OP_JumpIfNotZero: case OP_JumpIfNegative: case OP_JumpIfNotPositive:
        case OP_JumpIfPositive: case OP_JumpIfNotNegative: case OP_Switch: return "v>";
        case OP_LocalStoreKeep: case OP_SelfStoreKeep: case OP_JumpIfZeroKeep:
        case OP_JumpIfNotZeroKeep: return "v>0";
        case OP_LocalStoreObject: case OP_SelfStoreObject: case OP_PopObject: return "r>";
        case OP_LocalStoreObjectKeep: case OP_SelfStoreObjectKeep: return "r>0";
        case OP_Dup: return "v>00";
        case OP_DupObject: return "r>00";
        case OP_DupPair: return "rv>0101";
        case OP_Swap: return "xx>10";
        case OP_Jump: return ">";
        case OP_ArrayNew: case OP_ArrayNewObject: case OP_IntToString: case OP_BoolToString:
        case OP_FloatToString: return "v>r";
        case OP_ArraySize: case OP_StringLength: case OP_ObjectIsA: case OP_ObjectIsNull:
        case OP_ObjectIsNotNull: case OP_MemberLoad: return "r>v";
        case OP_ArrayCopy: case OP_StringCopy: case OP_ObjectCast: case OP_MemberLoadObject: return "r>r";
        case OP_ArrayLoad: case OP_StringCharAt: return "rv>v";
        case OP_ArrayLoadObject: return "rv>r";
        case OP_ArrayStore: case OP_StringSetChar: return "rvv>";
        case OP_ArrayStoreKeep: case OP_StringSetCharKeep: return "rvv>2";
        case OP_ArrayStoreObject: return "rvr>";
        case OP_ArrayStoreObjectKeep: return "rvr>2";
        case OP_ArrayRange: case OP_ArrayRangeObject: case OP_StringRange: return "rvv>r";
        case OP_ArrayRangeStore: case OP_ArrayRangeStoreObject: case OP_StringRangeStore: return "rvvr>";
        case OP_ArrayRangeStoreKeep: case OP_ArrayRangeStoreObjectKeep: case OP_StringRangeStoreKeep:
            return "rvvr>3";
        case OP_StringCompare: case OP_ObjectCompare: return "rr>v";
        case OP_StringConcat: return "rr>r";
        case OP_MemberStore: return "rv>";
        case OP_MemberStoreKeep: return "rv>1";
        case OP_MemberStoreObject: return "rr>";
        case OP_MemberStoreObjectKeep: return "rr>1";
        default: return nullptr;
    }
}

// A pattern of PatternOf taken apart: the kinds it takes (bottom first) and the letters
// of what it leaves. known is false for the instructions handled apart.
struct CompiledPattern {
    bool known = false;
    uint8_t takes = 0;
    uint8_t leaves = 0;
    std::array<GSSlotKind, 4> take{};
    std::array<char, 4> leave{};
};

CompiledPattern CompilePattern(const char* c) {
    CompiledPattern pattern;
    if (c == nullptr) return pattern;
    pattern.known = true;
    for (; *c != '>'; ++c)
        pattern.take[pattern.takes++] = *c == 'v' ? GS_KIND_VALUE : *c == 'r' ? GS_KIND_REFERENCE : GS_KIND_EITHER;
    for (++c; *c; ++c) pattern.leave[pattern.leaves++] = *c;
    return pattern;
}

bool IsLocalStore(GSOpcode opcode) { return opcode >= OP_LocalStore && opcode <= OP_LocalStoreObjectKeep; }

// The kind the slot named by a frame or receiver-member operand must hold.
GSSlotKind OperandSlotKind(GSOpcode opcode) {
    switch (opcode) {
        case OP_LocalLoad: case OP_LocalStore: case OP_LocalStoreKeep: case OP_SelfLoad:
        case OP_SelfStore: case OP_SelfStoreKeep: return GS_KIND_VALUE;
        default: return GS_KIND_REFERENCE;
    }
}

bool FallsThrough(GSOpcode opcode) {
    return opcode != OP_Jump && opcode != OP_Return && opcode != OP_ReturnValue && opcode != OP_ReturnObject &&
           opcode != OP_Switch && opcode != OP_Wait;
}

// Which slot an instruction's u16 operand names, for the check of its kind.
enum SlotOperand : uint8_t { kNoSlot, kFrameSlot, kFrameStore, kMemberSlot };

// What the pass needs of one opcode byte, read with one look-up: its operand layout and
// widths (for decoding), its stack pattern and the checks of its operand.
struct OpcodeRow {
    bool defined = false;
    GSOperandLayout layout = GS_OPERANDS_NONE;
    uint8_t fixedBytes = 0;
    uint8_t bytesPerCase = 0;
    bool call = false;
    bool fallsThrough = false;
    SlotOperand slot = kNoSlot;
    GSSlotKind slotKind = GS_KIND_VALUE;
    CompiledPattern pattern;
};

OpcodeRow MakeRow(uint8_t byte) {
    OpcodeRow row;
    const GSOpcodeInfo* info = FindGSOpcodeInfo(byte);
    if (info == nullptr) return row;
    const GSOpcode opcode = info->opcode;
    const GSOperandWidths& widths = GetGSOperandWidths(info->operands);
    row.defined = true;
    row.layout = info->operands;
    row.fixedBytes = widths.fixedBytes;
    row.bytesPerCase = widths.bytesPerCase;
    row.call = info->operands == GS_OPERANDS_CALL || info->operands == GS_OPERANDS_INHERITED;
    row.fallsThrough = FallsThrough(opcode);
    if (info->operands == GS_OPERANDS_LOCAL) row.slot = IsLocalStore(opcode) ? kFrameStore : kFrameSlot;
    else if (opcode >= OP_SelfLoad && opcode <= OP_SelfStoreObjectKeep) row.slot = kMemberSlot;
    row.slotKind = OperandSlotKind(opcode);
    row.pattern = CompilePattern(PatternOf(opcode));
    return row;
}

// The row of every opcode byte, made once.
const std::array<OpcodeRow, 256>& OpcodeRows() {
    static const std::array<OpcodeRow, 256> rows = [] {
        std::array<OpcodeRow, 256> table{};
        for (size_t byte = 0; byte < table.size(); ++byte) table[byte] = MakeRow(static_cast<uint8_t>(byte));
        return table;
    }();
    return rows;
}

// A decoded instruction: where it starts, its opcode byte and the n of a counted layout.
// Its operands follow the opcode byte; decoding proved them inside the code.
struct Step {
    size_t offset = 0;
    int32_t call = -1;  // its call site, or -1
    GSOpcode opcode = OP_Return;
    uint16_t cases = 0;
};

// One walker serves every function a thread verifies, so its tables keep their room.
class KindWalker {
  public:
    bool Verify(GSFunction& function, const std::vector<GSSlotKind>& memberKinds) {
        function_ = &function;
        memberKinds_ = &memberKinds;
        code_ = function.code.data();
        steps_.clear();
        calls_.clear();
        arguments_.clear();
        if (!Decode()) return false;
        const size_t roundLimit = 2 * calls_.size() + 4;
        for (size_t round = 0;; ++round) {
            if (round > roundLimit) return false;
            learned_ = false;
            // A function with call sites almost always learns on its first walk.
            recording_ = round > 0 || calls_.empty();
            if (!Walk()) return false;
            if (!learned_ && !CloseOpenPresences()) break;
        }
        // A walk that learned nothing goes the same way when made again: when the first walk,
        // made without pictures, was the last, it is made again to keep them.
        if (!recording_) {
            recording_ = true;
            if (!Walk()) return false;
        }
        RecordShapes();
        RecordStackKinds();
        return true;
    }

  private:
    // Decodes as DecodeGSInstruction does, with the opcode's row read once.
    bool Decode() {
        const std::span<const uint8_t> code = function_->code;
        const std::array<OpcodeRow, 256>& rows = OpcodeRows();
        indexAt_.assign(code.size(), -1);
        for (size_t offset = 0; offset < code.size();) {
            const OpcodeRow& row = rows[code[offset]];
            if (!row.defined) return false;
            const size_t rest = code.size() - offset - 1;
            size_t cases = 0;
            if (row.bytesPerCase > 0) {
                if (rest < 2) return false;
                cases = LoadLittleEndian(&code[offset + 1], 2);
            }
            const size_t operandBytes = row.fixedBytes + cases * row.bytesPerCase;
            if (rest < operandBytes) return false;
            const auto index = static_cast<int32_t>(steps_.size());
            Step& step = steps_.emplace_back();
            step.offset = offset;
            step.opcode = static_cast<GSOpcode>(code[offset]);
            step.cases = static_cast<uint16_t>(cases);
            indexAt_[offset] = index;
            if (row.call && !AddCallSite(step, index)) return false;
            offset += 1 + operandBytes;
        }
        MarkJoins();
        frameKinds_.assign(static_cast<size_t>(function_->FrameSlotCount()), GS_KIND_VALUE);
        frameKinds_[0] = GS_KIND_REFERENCE;
        for (uint32_t slot : function_->objectSlots) frameKinds_[slot] = GS_KIND_REFERENCE;
        depthLimit_ = static_cast<size_t>(function_->stackNeed - function_->frameAdvance);
        return true;
    }

    // A call's argument count comes from its k, so a k above zero (which the structural
    // verifier refuses first) is refused here too rather than read as a count.
    bool AddCallSite(Step& step, int32_t index) {
        const int16_t k = I16At(step, 0);
        if (k > 0) return false;
        step.call = static_cast<int32_t>(calls_.size());
        CallSite site;
        site.instruction = static_cast<size_t>(index);
        site.parent = static_cast<uint32_t>(calls_.size());
        site.thread = step.opcode == OP_CallThread;
        if (site.thread) site.presence = kAbsent;
        site.firstArgument = static_cast<uint32_t>(arguments_.size());
        site.argumentCount = static_cast<uint32_t>(-k);
        arguments_.resize(arguments_.size() + site.argumentCount);
        calls_.push_back(site);
        return true;
    }

    // Operand readers; `at` lies within the step's operands, which decoding proved.
    int32_t I32At(const Step& step, size_t at) const {
        return static_cast<int32_t>(static_cast<uint32_t>(LoadLittleEndian(code_ + step.offset + 1 + at, 4)));
    }
    uint16_t U16At(const Step& step, size_t at) const {
        return static_cast<uint16_t>(LoadLittleEndian(code_ + step.offset + 1 + at, 2));
    }
    int16_t I16At(const Step& step, size_t at) const { return static_cast<int16_t>(U16At(step, at)); }

    void MarkJoins() {
        joins_.assign(steps_.size(), false);
        const auto mark = [this](int32_t offset) {
            if (offset < 0 || static_cast<size_t>(offset) >= indexAt_.size()) return;
            const int32_t index = indexAt_[static_cast<size_t>(offset)];
            if (index >= 0) joins_[static_cast<size_t>(index)] = true;
        };
        const std::array<OpcodeRow, 256>& rows = OpcodeRows();
        for (const Step& step : steps_) {
            const size_t cases = step.cases;
            if (rows[step.opcode].layout == GS_OPERANDS_TARGET) mark(I32At(step, 0));
            if (step.opcode == OP_Switch)
                for (size_t i = 0; i <= cases; ++i) mark(I32At(step, 2 + 4 * cases + 4 * i));
            if (step.opcode == OP_Wait)
                for (size_t i = 0; i < cases; ++i) mark(I32At(step, 2 + 4 * cases + 4 * i));
        }
    }

    // Call sites that meet share one record: the root of their set.
    uint32_t Find(uint32_t call) {
        while (calls_[call].parent != call) call = calls_[call].parent = calls_[calls_[call].parent].parent;
        return call;
    }

    bool SetPresence(uint32_t call, Presence presence) {
        CallSite& root = calls_[Find(call)];
        if (root.presence == presence) return true;
        if (root.presence != kOpen) return false;
        root.presence = presence;
        learned_ = true;
        return true;
    }

    bool SetKind(uint32_t call, GSSlotKind kind) {
        CallSite& root = calls_[Find(call)];
        if (root.kind == kind) return true;
        if (root.kind != GS_KIND_TAGGED) return false;
        root.kind = kind;
        learned_ = true;
        return true;
    }

    bool Unite(uint32_t a, uint32_t b) {
        const uint32_t ra = Find(a), rb = Find(b);
        if (ra == rb) return true;
        CallSite& keep = calls_[ra];
        const CallSite& gone = calls_[rb];
        if (gone.presence != kOpen && !SetPresence(ra, gone.presence)) return false;
        if (gone.kind != GS_KIND_TAGGED && !SetKind(ra, gone.kind)) return false;
        if (keep.thread != gone.thread) return false;
        calls_[rb].parent = ra;
        learned_ = true;
        return true;
    }

    // Applies what is known of the entry's call site; false when it stands for nothing.
    bool Resolve(Entry& entry) {
        if (entry.kind != kResult && entry.kind != kMaybe) return true;
        entry.call = Find(entry.call);
        const CallSite& site = calls_[entry.call];
        if (entry.kind == kMaybe) {
            if (site.presence == kAbsent) return false;
            if (site.presence == kPresent) entry.kind = kResult;
        }
        if (entry.kind == kResult && site.kind != GS_KIND_TAGGED)
            entry = Entry{site.kind == GS_KIND_VALUE ? kValue : kReference, 0};
        return true;
    }

    void Normalize(AbstractStack& stack) {
        size_t kept = 0;
        for (Entry& entry : stack)
            if (Resolve(entry)) stack[kept++] = entry;
        stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(kept), stack.end());
    }

    // Pops the top entry as the kind wanted (GS_KIND_EITHER: any kind).
    bool Take(AbstractStack& stack, GSSlotKind wanted, Entry& taken) {
        if (stack.empty()) return false;
        taken = stack.back();
        stack.pop_back();
        if (taken.kind == kMaybe) {
            if (!SetPresence(taken.call, kPresent)) return false;
            Resolve(taken);
        }
        if (taken.kind == kResult && wanted != GS_KIND_EITHER) {
            if (!SetKind(taken.call, wanted)) return false;
            Resolve(taken);
        }
        switch (wanted) {
            case GS_KIND_VALUE: return taken.kind == kZero || taken.kind == kValue;
            case GS_KIND_REFERENCE: return taken.kind == kZero || taken.kind == kReference;
            default: return true;
        }
    }

    [[gnu::always_inline]] bool Push(AbstractStack& stack, Entry entry) {
        stack.push_back(entry);
        return stack.size() <= depthLimit_ || FitsDepth(stack);
    }

    // Open call results take no slot until they turn out present.
    bool FitsDepth(const AbstractStack& stack) const {
        size_t depth = 0;
        for (const Entry& e : stack) depth += e.kind != kMaybe;
        return depth <= depthLimit_;
    }

    // Every entry left must be a call result that turns out absent.
    bool Empty(AbstractStack& stack) {
        for (const Entry& entry : stack)
            if (entry.kind != kMaybe || !SetPresence(entry.call, kAbsent)) return false;
        stack.clear();
        return true;
    }

    bool ApplyPattern(AbstractStack& stack, const CompiledPattern& pattern) {
        Entry* const taken = taken_;
        for (size_t i = pattern.takes; i-- > 0;)
            if (!Take(stack, pattern.take[i], taken[i])) return false;
        for (size_t i = 0; i < pattern.leaves; ++i) {
            const char c = pattern.leave[i];
            Entry entry;
            if (c == 'v') entry.kind = kValue;
            else if (c == 'r') entry.kind = kReference;
            else if (c != 'z') entry = taken[c - '0'];
            if (!Push(stack, entry)) return false;
        }
        return true;
    }

    bool OperandSlotFits(const Step& step, const OpcodeRow& row) const {
        if (row.slot == kNoSlot) return true;
        const uint16_t slot = U16At(step, 0);
        if (row.slot == kMemberSlot) return slot < memberKinds_->size() && (*memberKinds_)[slot] == row.slotKind;
        if (row.slot == kFrameStore && slot == 0) return false;
        return slot < frameKinds_.size() && frameKinds_[slot] == row.slotKind;
    }

    bool ApplyCall(AbstractStack& stack, uint32_t call) {
        // Filled in place: a walk that fails here ends the pass, and the last walk writes
        // every reached site again.
        GSSlotKind* const arguments = arguments_.data() + calls_[call].firstArgument;
        for (size_t i = calls_[call].argumentCount; i-- > 0;) {
            Entry argument;
            if (!Take(stack, GS_KIND_EITHER, argument)) return false;
            arguments[i] = argument.kind == kZero        ? GS_KIND_EITHER
                           : argument.kind == kValue     ? GS_KIND_VALUE
                           : argument.kind == kReference ? GS_KIND_REFERENCE
                                                         : GS_KIND_TAGGED;
        }
        Entry receiver;
        return Take(stack, GS_KIND_REFERENCE, receiver) && PushResult(stack, call);
    }

    // The call's result, while it may still be there.
    bool PushResult(AbstractStack& stack, uint32_t call) {
        Entry result{kMaybe, call};
        if (!Resolve(result)) return true;
        return Push(stack, result);
    }

    bool ApplyReturn(AbstractStack& stack, GSOpcode opcode) {
        const GSSlotKind declared = GSResultKindOf(function_->returnType);
        if (opcode == OP_Return) return declared == GS_KIND_NOTHING && Empty(stack);
        const GSSlotKind wanted = opcode == OP_ReturnValue ? GS_KIND_VALUE : GS_KIND_REFERENCE;
        Entry result;
        return declared == wanted && Take(stack, wanted, result) && Empty(stack);
    }

    // The instruction's effect on the stack; its successors are reached by Flow.
    bool Apply(AbstractStack& stack, const Step& step, const OpcodeRow& row) {
        if (step.call >= 0) return ApplyCall(stack, static_cast<uint32_t>(step.call));
        const GSOpcode opcode = step.opcode;
        if (opcode == OP_Return || opcode == OP_ReturnValue || opcode == OP_ReturnObject)
            return ApplyReturn(stack, opcode);
        if (opcode == OP_Wait) return true;
        return row.pattern.known && OperandSlotFits(step, row) && ApplyPattern(stack, row.pattern);
    }

    bool Unify(Entry a, Entry b, Entry& merged) {
        if (a == b) {
            merged = a;
            return true;
        }
        if (a.kind == kMaybe && b.kind == kMaybe) {
            if (!Unite(a.call, b.call)) return false;
            merged = Entry{kMaybe, Find(a.call)};
            return true;
        }
        for (Entry* entry : {&a, &b}) {
            if (entry->kind != kMaybe) continue;
            if (!SetPresence(entry->call, kPresent)) return false;
            Resolve(*entry);
        }
        if (a.kind == kResult && b.kind == kResult) {
            if (!Unite(a.call, b.call)) return false;
            merged = Entry{kResult, Find(a.call)};
            Resolve(merged);
            return true;
        }
        if (b.kind == kResult) std::swap(a, b);
        if (a.kind == kResult) {
            if (b.kind == kZero) {
                merged = a;
                return true;
            }
            if (!SetKind(a.call, b.kind == kValue ? GS_KIND_VALUE : GS_KIND_REFERENCE)) return false;
            merged = b;
            return true;
        }
        if (a.kind == kZero || b.kind == kZero) {
            merged = a.kind == kZero ? b : a;
            return true;
        }
        return a.kind == b.kind && (merged = a, true);
    }

    // Drops the topmost open call result of the longer stack until both are as deep.
    bool Align(AbstractStack& a, AbstractStack& b) {
        while (a.size() != b.size()) {
            AbstractStack& longer = a.size() > b.size() ? a : b;
            size_t at = longer.size();
            while (at > 0 && longer[at - 1].kind != kMaybe) --at;
            if (at == 0 || !SetPresence(longer[at - 1].call, kAbsent)) return false;
            Normalize(a);
            Normalize(b);
        }
        return true;
    }

    // The stacks are copied into scratch vectors that keep their room from call to call.
    bool Reach(size_t target, const AbstractStack& stack) {
        AbstractStack& known = states_[target];
        if (!known_[target]) {
            known_[target] = true;
            known.assign(stack.begin(), stack.end());
            worklist_.push_back(target);
            return true;
        }
        old_.assign(known.begin(), known.end());
        incoming_.assign(stack.begin(), stack.end());
        Normalize(old_);
        Normalize(incoming_);
        if (!Align(old_, incoming_)) return false;
        merged_.resize(old_.size());
        for (size_t i = 0; i < old_.size(); ++i)
            if (!Unify(old_[i], incoming_[i], merged_[i])) return false;
        Normalize(merged_);
        if (merged_ != known) {
            known.swap(merged_);
            worklist_.push_back(target);
        }
        return true;
    }

    bool ReachOffset(int32_t offset, const AbstractStack& stack) {
        const int32_t index = indexAt_[static_cast<size_t>(offset)];
        return index >= 0 && Reach(static_cast<size_t>(index), stack);
    }

    // Hands the stack to every target the instruction may jump to.
    bool Branch(const Step& step, const OpcodeRow& row, AbstractStack& stack) {
        const size_t cases = step.cases;
        switch (step.opcode) {
            case OP_Switch:
                for (size_t i = 0; i <= cases; ++i)
                    if (!ReachOffset(I32At(step, 2 + 4 * cases + 4 * i), stack)) return false;
                return true;
            case OP_Wait:
                // The thread resumes at a target with the message on its stack.
                if (!Push(stack, Entry{kReference, 0})) return false;
                for (size_t i = 0; i < cases; ++i)
                    if (!ReachOffset(I32At(step, 2 + 4 * cases + 4 * i), stack)) return false;
                return true;
            default:
                return row.layout != GS_OPERANDS_TARGET || ReachOffset(I32At(step, 0), stack);
        }
    }

    // States are kept only where paths may meet (the entry and every target); the straight
    // code between them is walked with one stack. Every visit appends its picture to one
    // flat list, and the instruction keeps where its latest one starts.
    bool Walk() {
        const size_t count = steps_.size();
        states_.resize(count);
        known_.assign(count, false);
        reached_.assign(count, false);
        pictures_.resize(count);
        pictureEntries_.clear();
        worklist_.clear();
        if (steps_.empty()) return true;
        known_[0] = true;
        states_[0].clear();
        worklist_.push_back(0);
        size_t steps = 0;
        const size_t stepLimit = 16 * count + 64;
        AbstractStack& stack = walk_;
        const std::array<OpcodeRow, 256>& rows = OpcodeRows();
        while (!worklist_.empty()) {
            size_t index = worklist_.back();
            worklist_.pop_back();
            stack.assign(states_[index].begin(), states_[index].end());
            Normalize(stack);
            for (;;) {
                if (++steps > stepLimit) return false;
                reached_[index] = true;
                if (recording_) {
                    pictures_[index] = {pictureEntries_.size(), stack.size()};
                    pictureEntries_.insert(pictureEntries_.end(), stack.begin(), stack.end());
                }
                const Step& step = steps_[index];
                const OpcodeRow& row = rows[step.opcode];
                if (!Apply(stack, step, row) || !Branch(step, row, stack)) return false;
                if (!row.fallsThrough || ++index >= count) break;
                if (joins_[index]) {
                    if (!Reach(index, stack)) return false;
                    break;
                }
            }
        }
        return true;
    }

    // Call sites whose presence no use decided return nothing; true when one was decided.
    bool CloseOpenPresences() {
        bool closed = false;
        for (uint32_t call = 0; call < calls_.size(); ++call) {
            if (calls_[Find(call)].presence != kOpen) continue;
            calls_[Find(call)].presence = kAbsent;
            closed = true;
        }
        return closed;
    }

    void RecordShapes() {
        function_->callShapes.clear();
        function_->callShapes.reserve(calls_.size());
        for (uint32_t call = 0; call < calls_.size(); ++call) {
            const CallSite& site = calls_[call];
            if (!reached_[site.instruction]) continue;
            const CallSite& root = calls_[Find(call)];
            GSCallShape shape;
            shape.offset = static_cast<uint32_t>(steps_[site.instruction].offset);
            shape.result = site.thread || root.presence != kPresent ? GS_KIND_NOTHING : root.kind;
            const auto first = arguments_.begin() + site.firstArgument;
            shape.arguments.assign(first, first + site.argumentCount);
            function_->callShapes.push_back(std::move(shape));
        }
    }

    // The last walk's stack before each reached instruction, as the interpreter will find it:
    // results of calls that return nothing dropped, known result kinds applied.
    void RecordStackKinds() {
        function_->stackKinds.Clear();
        size_t pictureCount = 0, entryCount = 0;
        for (size_t index = 0; index < steps_.size(); ++index) {
            if (!reached_[index]) continue;
            ++pictureCount;
            entryCount += pictures_[index].second;
        }
        GSStackKinds& stackKinds = function_->stackKinds;
        stackKinds.Reserve(pictureCount, entryCount);
        for (size_t index = 0; index < steps_.size(); ++index) {
            if (!reached_[index]) continue;
            stackKinds.Begin(static_cast<uint32_t>(steps_[index].offset));
            const auto [start, size] = pictures_[index];
            for (size_t i = start; i < start + size; ++i) {
                Entry entry = pictureEntries_[i];
                if (!Resolve(entry)) continue;
                stackKinds.Push(entry.kind == kZero        ? GS_KIND_EITHER
                                : entry.kind == kValue     ? GS_KIND_VALUE
                                : entry.kind == kReference ? GS_KIND_REFERENCE
                                                           : GS_KIND_TAGGED);
            }
        }
    }

    GSFunction* function_ = nullptr;
    const std::vector<GSSlotKind>* memberKinds_ = nullptr;
    const uint8_t* code_ = nullptr;
    std::vector<Step> steps_;
    std::vector<int32_t> indexAt_;
    std::vector<CallSite> calls_;
    std::vector<GSSlotKind> arguments_;  // every call site's argument kinds, one after another
    std::vector<GSSlotKind> frameKinds_;
    size_t depthLimit_ = 0;
    // Flags by instruction, a byte each (cheaper to test and set than packed bits).
    std::vector<uint8_t> joins_;  // instructions where paths may meet
    std::vector<AbstractStack> states_;  // the stack met at each join, where known_
    std::vector<uint8_t> known_;
    std::vector<uint8_t> reached_;
    // By instruction, from the last walk: start and size of its picture in pictureEntries_.
    std::vector<std::pair<size_t, size_t>> pictures_;
    std::vector<Entry> pictureEntries_;
    AbstractStack walk_, old_, incoming_, merged_;  // scratch stacks
    Entry taken_[4];  // the entries a pattern takes
    std::vector<size_t> worklist_;
    bool learned_ = false;
    bool recording_ = false;  // whether this walk keeps its pictures
};

}  // namespace

bool VerifyGSKinds(GSFunction& function, const std::vector<GSSlotKind>& memberKinds) {
    function.callShapes.clear();
    function.stackKinds.Clear();
    if (function.code.empty()) return true;
    thread_local KindWalker walker;
    return walker.Verify(function, memberKinds);
}
