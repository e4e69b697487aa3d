// The dispatch loop. Its 256-entry tables, filled on the first run, send each opcode byte
// either to the inline body of a hot instruction (gs_op_hot.h) or of a fused step of the run
// copy (gs_op_fused.h), or to the call of its handler from the handler table; undefined
// bytes reach the undefined-instruction handler. The fused opcodes are known only while a
// run copy executes (the executing function changes only in a handler: a call or return).
// The hot state (position, top, frame, run start) stays in registers and is handed to a
// handler and taken back around each call.
#include <algorithm>
#include <iterator>

#include "script_runtime/gs_op_fused.h"

namespace GSInterpreter {

namespace {

bool Undefined(GSRun& run) { return run.Fail(ER_IllegalInstruction); }

GSOpHandler* FilledHandlers() {
    static GSOpHandler table[256];
    for (GSOpHandler& handler : table) handler = Undefined;
    FillFloatHandlers(table);
    FillStackHandlers(table);
    FillFlowHandlers(table);
    FillArrayHandlers(table);
    FillStringHandlers(table);
    FillObjectHandlers(table);
    FillMemberHandlers(table);
    FillCallHandlers(table);
    FillThreadHandlers(table);
#define GS_HOT_HANDLER(opcode, body) table[opcode] = GSHotHandler<body>;
    GS_HOT_OPCODES(GS_HOT_HANDLER)
#undef GS_HOT_HANDLER
    return table;
}

// Field by field: a whole-struct copy is made of wide moves, which would read back what a
// handler has just stored field by field before the stores can be forwarded to them.
inline void CopyHot(GSHotState& to, const GSHotState& from) {
    to.ip = from.ip;
    to.sp = from.sp;
    to.args = from.args;
    to.codeBase = from.codeBase;
    to.runStart = from.runStart;
    to.result = from.result;
}

}  // namespace

const GSOpHandler* Handlers() {
    static const GSOpHandler* const table = FilledHandlers();
    return table;
}

GSExecResult RunLoop(GSRun& run) {
    // For the library's own bytes, where every byte from 116 on is undefined, and for a run
    // copy, whose fused opcodes run their steps.
    static const void* plain[256];
    static const void* fused[256];
    static bool filled = false;
    const GSOpHandler* const handlers = Handlers();
    if (!filled) {
        for (const void*& entry : plain) entry = &&call_handler;
#define GS_HOT_LABEL(opcode, body) plain[opcode] = &&hot_##opcode;
        GS_HOT_OPCODES(GS_HOT_LABEL)
#undef GS_HOT_LABEL
        std::copy(std::begin(plain), std::end(plain), std::begin(fused));
#define GS_FUSED_LABEL(label, opcode, body) fused[opcode] = &&fused_##label;
        GS_FUSED_OPCODES(GS_FUSED_LABEL)
#undef GS_FUSED_LABEL
        filled = true;
    }

    GSHotState hot;
    CopyHot(hot, run);
    const void* const* dispatch = run.runsFusedCopy ? fused : plain;
    uint8_t opcode = 0;
#define GS_NEXT()                  \
    do {                           \
        opcode = *hot.ip++;        \
        goto* dispatch[opcode];    \
    } while (0)

    GS_NEXT();

#define GS_HOT_CASE(op, body)   \
    hot_##op:                   \
    if (!(body)(hot)) goto end; \
    GS_NEXT();
    GS_HOT_OPCODES(GS_HOT_CASE)
#undef GS_HOT_CASE

#define GS_FUSED_CASE(label, opcode, body) \
    fused_##label:                         \
    if (!(body)(hot)) goto end;            \
    GS_NEXT();
    GS_FUSED_OPCODES(GS_FUSED_CASE)
#undef GS_FUSED_CASE

call_handler:
    CopyHot(run, hot);
    if (!handlers[opcode](run)) return run.result;
    CopyHot(hot, run);
    dispatch = run.runsFusedCopy ? fused : plain;
    GS_NEXT();

end:
    CopyHot(run, hot);
    return run.result;
#undef GS_NEXT
}

}  // namespace GSInterpreter
