// The code generator's state for one compile (GSCodeGenState): the context, the class and
// function records being filled, where code goes (a function or the class's member
// initialiser), the labels and jump fixups of the function, the switch and wait statements
// being generated and the 8 temporary slots. It walks a checked tree once, emitting through
// the records' emitters; jumps to code not yet emitted are 4-byte operands patched when their
// label is placed (ResolveJumps), so every jump carries an offset from the start of its
// function's code.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "script_compiler/gs_code_records.h"
#include "script_compiler/gs_node.h"

class GSClassSymbol;
class GSCompileContext;

struct GSCodeLabel {
    bool placed = false;
    uint32_t offset = 0;
};

struct GSJumpFixup {
    uint32_t operand;  // offset of the jump's 4-byte target
    int32_t label;
    const char* text;  // "Break", "Continue" or "no matching label"
    int32_t line;
};

// A switch being generated: its case entries in ascending value order and its default.
struct GSSwitchRecord {
    const GSCNode* statement;
    std::vector<std::pair<int32_t, uint32_t>> cases;  // value, code offset
    bool hasDefault = false;
    uint32_t defaultOffset = 0;
};

// A wait being generated: its "on" labels in code order.
struct GSWaitRecord {
    const GSCNode* statement;
    int32_t breakLabel;
    std::vector<uint16_t> names;  // major, minor per label
    std::vector<uint32_t> offsets;
};

class GSCodeGenerator {
  public:
    static constexpr int kTemporaries = 8;

    explicit GSCodeGenerator(GSCompileContext& context) : context_(context) {}
    bool GenerateCode();

  private:
    // Declarations (gs_codegen_declarations.cpp).
    bool GenerateClass(GSCNode* node);
    bool GenerateFunction(GSCNode* node);
    bool GenerateBody(GSCFunction* record, GSCNode* body);
    bool GenerateVariables(GSCNode* node);
    bool GenerateDeclarator(GSCNode* declarator, bool member);
    // Every node of a chain, each setting the current line first.
    bool GenerateList(GSCNode* first);
    bool GenerateNode(GSCNode* node);
    int32_t NewLabel();
    int32_t LabelByName(const char* name);
    bool PlaceLabel(int32_t label);
    // A 43 (or the given jump) whose target is the label, patched by ResolveJumps.
    void EmitJumpTo(GSOpcode opcode, int32_t label, const char* text, int32_t line);
    bool ResolveJumps();
    void ClearFunctionState();
    int32_t AllocTemporary();
    void FreeTemporary(int32_t slot);
    // The reference number of a class (numbered on first use), -1 when it is unknown.
    int32_t ClassReference(const char* name);
    bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool FailAt(int32_t line, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Statements (gs_codegen_statements.cpp).
    bool GenerateStatement(GSCNode* node);
    bool GenerateReturn(GSCNode* node);
    bool GenerateIf(GSCNode* node);
    bool GenerateWhile(GSCNode* node);
    bool GenerateFor(GSCNode* node);
    bool GenerateSwitch(GSCNode* node);
    bool RecordCase(GSCNode* node);
    bool GenerateWait(GSCNode* node);
    bool GenerateOn(GSCNode* node);
    bool StoreMessage(GSCNode* variable);
    // The condition, with 93 for a reference; then a jump-if-zero whose operand offset is
    // returned, to be patched.
    bool GenerateCondition(GSCNode* condition, uint32_t& hole);
    int32_t BreakLabel(const GSCNode* statement);
    int32_t ContinueLabel(const GSCNode* statement);

    // Expressions (gs_codegen_expressions.cpp).
    bool GenerateExpression(GSCNode* node);
    bool GenerateConstant(const GSCNode* node);
    bool GenerateIdentifier(const GSCNode* node);
    bool GenerateCall(GSCNode* node);
    bool GenerateSequence(GSCNode* node);
    bool GenerateOperator(GSCNode* node);
    bool GenerateUnary(GSCNode* node);
    bool GenerateArithmetic(GSCNode* node);
    bool GenerateComparison(GSCNode* node);
    bool GenerateLogical(GSCNode* node);
    bool GenerateNew(GSCNode* node);
    bool GenerateMember(GSCNode* node);
    bool GenerateIndex(GSCNode* node);
    bool GenerateRange(GSCNode* node);
    bool GenerateBound(GSCNode* bound);
    // The operand, then a conversion of it to type (8 or 74 to 76) when it is another type.
    bool GenerateConverted(GSCNode* operand, int32_t type);

    // Conversions, stores and the operators that store (gs_codegen_stores.cpp).
    bool EmitConversion(int32_t type, const char* className, GSCNode* value);
    bool EmitStore(const GSCNode* target, bool keep);
    bool GenerateTargetParts(GSCNode* target);
    bool GenerateAssignment(GSCNode* node);
    bool GenerateStoredValue(const GSCNode* target, GSCNode* value);
    bool GenerateIncrement(GSCNode* node);
    bool GenerateCopy(GSCNode* node);
    void EmitLoadForStep(const GSCNode* target);

    GSCodeEmitter& Out() { return *out_; }
    GSCompileContext& context_;
    GSCClass* class_ = nullptr;
    GSCFunction* function_ = nullptr;
    GSCodeEmitter* out_ = nullptr;
    std::vector<GSCodeLabel> labels_;
    std::vector<GSJumpFixup> fixups_;
    std::unordered_map<std::string, int32_t> labelNames_;
    std::unordered_map<const GSCNode*, int32_t> breakLabels_;
    std::unordered_map<const GSCNode*, int32_t> continueLabels_;
    std::vector<GSSwitchRecord*> switches_;
    std::vector<GSWaitRecord*> waits_;
    bool temporaries_[kTemporaries] = {};
};
