// Code generation of the top level: classes and their records, functions and their bodies,
// member and local declarators, node lists and the line they set, labels with their jump
// fixups, and the temporary slots.
#include <cstdarg>
#include <cstdio>

#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_codegen.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compiler.h"

namespace {

constexpr size_t kMessageChars = 256;

// A variable of reference type whose slot the runtime releases: string, object, any array
// but void[].
bool SlotHoldsReference(int32_t type) { return GSCheck::IsReference(type) && type != GS_TYPE_ARRAY && type != GS_TYPE_NULL; }

}  // namespace

bool GSCompiler::GenerateCode(GSCompileContext& context) {
    GSCodeGenerator generator(context);
    return generator.GenerateCode();
}

bool GSCodeGenerator::GenerateCode() {
    if (!context_.arena.root || context_.arena.errorCount != 0) return false;
    for (GSCNode* item = context_.arena.root; item; item = item->next)
        if (item->category == GS_DECLARATION && item->kind == GS_DECL_CLASS && !GenerateClass(item)) return false;
    return true;
}

bool GSCodeGenerator::GenerateClass(GSCNode* node) {
    GSSymbol* symbol = context_.table.Find(node->child[0]->value.text, nullptr, false, false);
    if (!symbol || symbol->kind != GS_SYMBOL_CLASS) return Fail("Internal compiler error.");
    class_ = new GSCClass(static_cast<GSClassSymbol*>(symbol));
    context_.classes.PushBack(class_);
    out_ = &class_->initialiser;
    for (GSCNode* member = node->child[2]; member; member = member->next) {
        if (member->category != GS_DECLARATION) continue;
        if (member->kind == GS_DECL_FUNCTION || member->kind == GS_DECL_PROTOTYPE) {
            if (!GenerateFunction(member)) return false;
        } else if (member->kind == GS_DECL_VARIABLES) {
            out_ = &class_->initialiser;
            function_ = nullptr;
            if (!GenerateVariables(member)) return false;
        }
    }
    out_ = &class_->initialiser;
    if (class_->initialiser.Offset() > 0) class_->initialiser.EmitOp(OP_Return);
    return true;
}

bool GSCodeGenerator::GenerateFunction(GSCNode* node) {
    GSFunctionSymbol* symbol = node->function;
    if (!symbol) return Fail("Internal compiler error.");
    context_.table.NumberReference(symbol);
    const bool native = symbol->flags & GS_FLAG_NATIVE;
    const bool body = node->kind == GS_DECL_FUNCTION;
    if (!body && !native) {
        if (symbol->flags & GS_SYMBOL_PROTOTYPE) return Fail("Function %s not implemented", symbol->name);
        return true;
    }
    if (body && native) return Fail("Native function %s has been implemented", symbol->name);
    auto* record = new GSCFunction(symbol);
    class_->functions.PushBack(record);
    int32_t slot = 1;
    for (const GSCNode* parameter = node->child[2]; parameter; parameter = parameter->next, ++slot)
        if (SlotHoldsReference(parameter->child[0]->sub)) record->AddObjectSlot(slot);
    return !body || GenerateBody(record, node->child[3]);
}

bool GSCodeGenerator::GenerateBody(GSCFunction* record, GSCNode* body) {
    function_ = record;
    out_ = record;
    record->RecordLines();
    const bool passed = GenerateList(body) && ResolveJumps();
    ClearFunctionState();
    function_ = nullptr;
    out_ = &class_->initialiser;
    return passed;
}

bool GSCodeGenerator::GenerateVariables(GSCNode* node) {
    if (node->flags & GS_FLAG_DEFINE) return true;
    const bool member = node->flags & GS_FLAG_MEMBER;
    for (GSCNode* declarator = node->child[1]; declarator; declarator = declarator->next)
        if (!GenerateDeclarator(declarator, member)) return false;
    return true;
}

bool GSCodeGenerator::GenerateDeclarator(GSCNode* declarator, bool member) {
    const GSCNode* name = declarator->child[0];
    const bool reference = SlotHoldsReference(name->valueType);
    if (reference) (member ? class_->initialiser : Out()).AddObjectSlot(name->slot);
    GSCNode* initial = declarator->child[1];
    if (!initial) return true;
    if (!GenerateStoredValue(name, initial)) return false;
    const uint16_t slot = static_cast<uint16_t>(name->slot);
    if (member)
        Out().EmitOpShort(reference ? OP_SelfStoreObject : OP_SelfStore, slot);
    else
        Out().EmitOpShort(reference ? OP_LocalStoreObject : OP_LocalStore, slot);
    return true;
}

bool GSCodeGenerator::GenerateList(GSCNode* first) {
    for (GSCNode* node = first; node; node = node->next) {
        if (function_) function_->lines.currentLine = node->line;
        if (!GenerateNode(node)) return false;
    }
    return true;
}

bool GSCodeGenerator::GenerateNode(GSCNode* node) {
    switch (node->category) {
        case GS_STATEMENT: return GenerateStatement(node);
        case GS_EXPRESSION: {
            const int32_t before = Out().depth;
            if (!GenerateExpression(node)) return false;
            if (!(node->flags & GS_FLAG_DISCARD) || Out().depth <= before) return true;
            Out().EmitOp(GSCheck::IsReference(node->valueType) ? OP_PopObject : OP_Pop);
            return true;
        }
        case GS_DECLARATION:
            if (node->kind == GS_DECL_VARIABLES) return GenerateVariables(node);
            return true;
        default: return Fail("Internal compiler error.");
    }
}

int32_t GSCodeGenerator::NewLabel() {
    labels_.emplace_back();
    return static_cast<int32_t>(labels_.size() - 1);
}

int32_t GSCodeGenerator::LabelByName(const char* name) {
    const auto [it, added] = labelNames_.try_emplace(name, 0);
    if (added) it->second = NewLabel();
    return it->second;
}

bool GSCodeGenerator::PlaceLabel(int32_t label) {
    GSCodeLabel& entry = labels_[static_cast<size_t>(label)];
    if (entry.placed) return false;
    entry.placed = true;
    entry.offset = Out().Offset();
    return true;
}

void GSCodeGenerator::EmitJumpTo(GSOpcode opcode, int32_t label, const char* text, int32_t line) {
    Out().EmitOpInt(opcode, 0);
    fixups_.push_back({Out().Offset() - 4, label, text, line});
}

bool GSCodeGenerator::ResolveJumps() {
    bool passed = true;
    for (const GSJumpFixup& fixup : fixups_) {
        const GSCodeLabel& label = labels_[static_cast<size_t>(fixup.label)];
        if (label.placed) {
            Out().PatchInt32(fixup.operand, static_cast<int32_t>(label.offset));
            continue;
        }
        GSCompiler::ReportError(context_.arena, true, false, fixup.line, "%s, line %d", fixup.text, fixup.line);
        passed = false;
    }
    return passed;
}

void GSCodeGenerator::ClearFunctionState() {
    labels_.clear();
    fixups_.clear();
    labelNames_.clear();
    breakLabels_.clear();
    continueLabels_.clear();
    for (bool& used : temporaries_) used = false;
}

int32_t GSCodeGenerator::AllocTemporary() {
    for (int index = 0; index < kTemporaries; ++index) {
        if (temporaries_[index]) continue;
        temporaries_[index] = true;
        if (!function_) {
            if (class_->initialiser.temporaryCount < index + 1) class_->initialiser.temporaryCount = index + 1;
            return 1 + index;
        }
        GSFunctionSymbol& symbol = *function_->symbol;
        if (symbol.temporaryCount < index + 1) symbol.temporaryCount = index + 1;
        return symbol.argumentCount + symbol.localCount + index;
    }
    return -1;
}

void GSCodeGenerator::FreeTemporary(int32_t slot) {
    const int32_t first = function_ ? function_->symbol->argumentCount + function_->symbol->localCount : 1;
    const int32_t index = slot - first;
    if (index >= 0 && index < kTemporaries) temporaries_[index] = false;
}

int32_t GSCodeGenerator::ClassReference(const char* name) {
    GSSymbol* symbol = name ? context_.table.Find(name, nullptr, false, false) : nullptr;
    return symbol && symbol->kind == GS_SYMBOL_CLASS ? symbol->referenceNumber : -1;
}

bool GSCodeGenerator::Fail(const char* format, ...) {
    char text[kMessageChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    GSCompiler::Message(context_.arena, "%s", text);
    return false;
}

bool GSCodeGenerator::FailAt(int32_t line, const char* format, ...) {
    char text[kMessageChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    GSCompiler::ReportError(context_.arena, true, false, line, "%s", text);
    return false;
}
