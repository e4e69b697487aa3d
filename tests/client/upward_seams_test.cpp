// Start-up connects validation to the script-system set-up of the script natives.
#include <gtest/gtest.h>

#include "client/upward_seams.h"
#include "script_natives/script_system_seam.h"
#include "validation/script_system_seam.h"

namespace {

TEST(UpwardSeams, ValidationReachesTheScriptSystemSetUp) {
    ValidationUpwardSeams::SetScriptSystem(nullptr);
    EXPECT_FALSE(ValidationUpwardSeams::InitScriptSystem()) << "no set-up installed";
    KodrinUtil::InstallUpwardSeams();
    EXPECT_EQ(ValidationUpwardSeams::ScriptSystem(), &GetScriptSystemSeam());
}

}  // namespace
