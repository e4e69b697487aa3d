// The set-up of the script system that the script stage of a validation needs before it
// compiles anything (the natives of the product's script classes and the "libraries"
// folder). It lives above the validation library, so start-up installs it here
// (SetScriptSystemSetUp); with none installed the set-up fails.
#pragma once

using ScriptSystemSetUp = bool (*)();

// Installs the set-up; the next script stage runs it again.
void SetScriptSystemSetUp(ScriptSystemSetUp setUp);
// True once a set-up has succeeded; otherwise runs the installed one (false without one)
// and keeps its result.
bool EnsureScriptSystem();
