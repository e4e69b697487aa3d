// WriteFileAtomically: replaces a file so that a reader, a crash or a full disk never finds
// it cut short. The bytes go to a new file beside the target (same folder, so the rename
// cannot cross file systems), are flushed to disk (fsync), and the file is renamed over the
// target; the folder is flushed last so the new name survives a power cut. When any step
// fails the temporary file is removed and the target keeps its old bytes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// False with the cause (the step, the path and the system's error text) in error.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string& error);
