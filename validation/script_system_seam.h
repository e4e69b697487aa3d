// Validation's call upward into the script natives: the script system's set-up
// (`InitScriptSystem`, script_natives/), which the script stage runs before it compiles an
// asset's scripts. The validation library owns this interface and start-up installs its
// implementation (`InstallUpwardSeams`, client/); until one is installed the set-up
// answers false.
#pragma once

class ValidationScriptSystemSeam {
  public:
    virtual ~ValidationScriptSystemSeam() = default;
    // Sets the script system up once per process; false when it is not ready.
    virtual bool InitScriptSystem() = 0;
};

namespace ValidationUpwardSeams {
// Installs (or, with null, removes) the implementation; the caller keeps it alive.
void SetScriptSystem(ValidationScriptSystemSeam* seam);
ValidationScriptSystemSeam* ScriptSystem();
// The installed set-up's answer; false without one.
bool InitScriptSystem();
}  // namespace ValidationUpwardSeams
