// Start-up connects validation to the script-system set-up of the script natives and gives
// its mesh checks the content3d mesh engine.
#include <gtest/gtest.h>

#include "client/upward_seams.h"
#include "script_natives/script_system_seam.h"
#include "validation/darodi/content3d_mesh_engine.h"
#include "validation/script_system_seam.h"

namespace {

TEST(UpwardSeams, ValidationReachesTheScriptSystemSetUp) {
    ValidationUpwardSeams::SetScriptSystem(nullptr);
    EXPECT_FALSE(ValidationUpwardSeams::InitScriptSystem()) << "no set-up installed";
    KodrinUtil::InstallUpwardSeams();
    EXPECT_EQ(ValidationUpwardSeams::ScriptSystem(), &GetScriptSystemSeam());
}

TEST(UpwardSeams, TheMeshChecksLoadThroughContent3D) {
    DAROdi::SetMeshCheckEngine(nullptr);
    KodrinUtil::InstallUpwardSeams();
    EXPECT_EQ(DAROdi::GetMeshCheckEngine(), &DAROdi::GetContent3DMeshEngine());
}

}  // namespace
