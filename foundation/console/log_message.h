// Diagnostics of every subsystem go to the engine log client "Kodrin", which start-up
// points to standard output or to nowhere. Lines follow one style: the class and method
// name, "> ", then the message ("InterfaceTextDB::GetString> Tag '%s' not found in '%s'").
#pragma once

void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
