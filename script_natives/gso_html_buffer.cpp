// The HTML buffer objects and their natives.
#include "script_natives/gso_html_buffer.h"

#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

// "$HTMLBuffer@HTMLBufferStatic::Construct()".
void ConstructBuffer(GSContext* context, GSStack* stack) {
    stack->PushObjectNoRef(GSOHTMLBuffer::Construct(context), ScriptClasses().htmlBuffer);
}

// The context of the innermost frame whose own object belongs to one, or null.
GSContext* InnermostContext(const GSStack* stack) {
    for (const GSSlot* record = stack->TopFrame(); record; record = GSFrame::Previous(record)) {
        GSContext* context = GSContextOf(static_cast<GSSlot*>(GSFrame::ArgumentBase(record)[0].p));
        if (context) return context;
    }
    return nullptr;
}

const MemberNative<GSOHTMLBuffer> kHTMLBufferNatives[] = {
    {"$void@HTMLBuffer::Clear()", &GSOHTMLBuffer::Clear},
    {"$bool@HTMLBuffer::IsEmpty()", &GSOHTMLBuffer::IsEmpty},
    {"$string@HTMLBuffer::AsString()", &GSOHTMLBuffer::AsString},
    {"$void@HTMLBuffer::Print(string)", &GSOHTMLBuffer::Print},
    {"$void@HTMLBuffer::Escape(string)", &GSOHTMLBuffer::Escape},
};

const GSPlainNative kHTMLBufferStaticNatives[] = {
    {"$HTMLBuffer@HTMLBufferStatic::Construct()", ConstructBuffer},
};

}  // namespace

void RegisterHTMLBufferNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOHTMLBuffer>(machine, "HTMLBuffer", kHTMLBufferNatives);
    GSRegisterPlainNatives(machine, "HTMLBufferStatic", kHTMLBufferStaticNatives);
}

GSOHTMLBuffer* GSOHTMLBuffer::Construct(GSContext* context) {
    auto* object = new GSOHTMLBuffer();
    if (object->Attach(ScriptClasses().htmlBuffer, context)) return object;
    delete object;
    return nullptr;
}

void GSOHTMLBuffer::Clear(GSStack*) { HTMLBuffer::Clear(); }

void GSOHTMLBuffer::IsEmpty(GSStack* stack) { stack->PushInt(HTMLBuffer::IsEmpty() ? 1 : 0); }

void GSOHTMLBuffer::AsString(GSStack* stack) { stack->PushString(GetText().View(), InnermostContext(stack)); }

void GSOHTMLBuffer::Print(GSStack* stack) {
    Kiv::String text;
    if (CheckTextArgument(stack, text)) Append(text.View().data(), text.View().size());
}

void GSOHTMLBuffer::Escape(GSStack* stack) {
    Kiv::PString text;
    if (CheckStringArgument(stack, 1, false, text)) AppendEscaped(text.View());
}
