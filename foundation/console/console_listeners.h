// Console listeners: objects told of every console line after it was written, in the order
// of their keys. Nothing in the tool registers one; they exist for a front end built into
// the process. A listener runs under the console critical section and may print; lines it
// prints itself are written but not passed to the listeners again (a notification under way
// is never re-entered).
#pragma once

#include <cstdint>
#include <string_view>

class ConsoleListener {
  public:
    virtual ~ConsoleListener() = default;
    // The line as written, without its line end.
    virtual void OnConsoleLine(std::string_view line) = 0;
};

// Registers listener under key, replacing the one registered there; the listener must stay
// alive until it is removed.
void AddConsoleListener(int32_t key, ConsoleListener& listener);
void RemoveConsoleListener(int32_t key);

// Tells every listener of line, unless a notification is under way (on this thread: the
// console critical section keeps other threads out).
void NotifyConsoleListeners(std::string_view line);
