// The interface texts the daemon puts into its log notes, read from the installation's
// "data/interfacetext.txt" (the English table the client uses too), so that a note reads
// as the tool's own entries do. A key the table lacks comes back as the key itself.
#pragma once

#include <filesystem>
#include <string>

std::string DaemonInterfaceText(const std::filesystem::path& installation, const char* key);
