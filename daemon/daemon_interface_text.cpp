// Each lookup reads the table afresh: the texts are needed only for rare notes, and the
// daemon then never holds a stale copy of a file the user may edit.
#include "daemon/daemon_interface_text.h"

#include "foundation/soup/chunk_ref.h"

std::string DaemonInterfaceText(const std::filesystem::path& installation, const char* key) {
    const std::string path = (installation / "data" / "interfacetext.txt").string();
    ACSChunkRef table;
    if (!table.LoadFromFile("", path.c_str(), "txt", true) || table.IsNull()) return key;
    const Kiv::String text = table.GetNamedTag(Kiv::PString(key));
    return text.IsEmpty() ? std::string(key) : std::string(text.View());
}
