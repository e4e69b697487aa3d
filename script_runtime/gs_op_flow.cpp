// The switch instruction: a table of case values in ascending signed order searched by
// halving, a target per case and a default. The jumps themselves are hot (gs_op_hot.h).
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_opcode.h"

namespace GSInterpreter {

namespace {

bool Switch(GSRun& run) {
    const int32_t key = run.sp->i;
    const uint8_t* table = run.ip;
    const int32_t count = ReadU16(table);
    const uint8_t* values = table + 2;
    const uint8_t* targets = values + 4 * count;
    int32_t target = ReadI32(targets + 4 * count);
    int32_t low = 0;
    int32_t high = count - 1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const int32_t value = ReadI32(values + 4 * middle);
        if (key == value) {
            target = ReadI32(targets + 4 * middle);
            break;
        }
        if (key < value)
            high = middle - 1;
        else
            low = middle + 1;
    }
    --run.sp;
    const uint8_t* next = run.codeBase + target;
    if (!ChargeTransfer(run, next)) return false;
    run.ip = next;
    return true;
}

}  // namespace

void FillFlowHandlers(GSOpHandler* table) { table[OP_Switch] = Switch; }

}  // namespace GSInterpreter
