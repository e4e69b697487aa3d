// DAROdi::ErrorHandler: the validation library's process-wide collector of the problems it
// finds. Not built yet: this stand-in is only the singleton's life (made first at start-up,
// destroyed at shut-down); it collects and reports nothing.
#pragma once

namespace DAROdi {

class ErrorHandler {
public:
    // Makes the singleton; nothing when it exists.
    static void CreateInstance();
    // Deletes the singleton; nothing when there is none.
    static void DestroyInstance();
    // The singleton, or null.
    static ErrorHandler* Instance();

private:
    ErrorHandler() = default;
};

}  // namespace DAROdi
