// The set-up behind validation's seam.
#include "script_natives/script_system_seam.h"

#include "script_natives/script_system_setup.h"

namespace {

class ScriptSystemSeam : public ValidationScriptSystemSeam {
  public:
    bool InitScriptSystem() override { return ::InitScriptSystem(); }
};

}  // namespace

ValidationScriptSystemSeam& GetScriptSystemSeam() {
    static ScriptSystemSeam seam;
    return seam;
}
