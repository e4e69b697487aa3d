// Showing a soup: its text form, made in memory, goes to the console or to the log.
#include <string>

#include "engine/dynamic_buffer.h"
#include "foundation/console/console.h"
#include "foundation/console/log_message.h"
#include "foundation/soup/acs_text.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_buffer.h"

namespace {

std::string TextForm(const ACSChunkRef& soup) {
    Kiv::DynamicBuffer memory(0, 512);
    TBuffer stream(&memory, false);
    ACSText::Write(soup, stream);
    return std::string(reinterpret_cast<const char*>(memory.GetData()), memory.GetDataLength());
}

} // namespace

void ACSChunkRef::Print() const {
    WriteConsoleText(TextForm(*this));
}

void ACSChunkRef::Log() const {
    LogMessage("%s", TextForm(*this).c_str());
}
