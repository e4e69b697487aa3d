// Vertex-program and texture-combiner managers: texts registered by name, programs
// requested by name (unknown text or program: non-zero), one object per name, and the
// program list and register header read from the texts.
#include <gtest/gtest.h>

#include "engine/display.h"
#include "engine/texture_combiner.h"
#include "engine/vertex_program.h"

namespace {

constexpr const char* kVertexText =
    "!!KivVertexPrograms 2.0\n"
    "vertexProgram\n"
    "{\n"
    "    TestA PNTA ParallelLight OneTex Fog\n"
    "    TestB PNT Fog\n"
    "}\n"
    "MOV result.position, vertex.position;\n";

constexpr const char* kPixelText =
    "!!KivTextureCombiner 1.1\n"
    "header\n"
    "{\n"
    "    LightDiff = 0, 0, 0, 1\n"
    "    Specular = 0.9, 0.9, 0.9, 0.75\n"
    "}\n"
    "API(common)\n"
    "{\n"
    "ps.1.1\n"
    "}\n";

TEST(VertexProgramManager, RequestsByNameInARegisteredText) {
    const Kiv::PString file("TestVertexFile");
    const int before = Kiv::VertexProgramManager::GetRegistrationCount(file);
    Kiv::VertexProgramManager::RegisterBuiltInPrograms(file, kVertexText);
    EXPECT_EQ(Kiv::VertexProgramManager::GetRegistrationCount(file), before + 1);

    Kiv::Display display;
    Kiv::VertexProgramManager& manager = *display.GetVertexProgramManager();
    Kiv::VertexProgram* a = nullptr;
    Kiv::VertexProgram* again = nullptr;
    Kiv::VertexProgram* missing = nullptr;
    ASSERT_EQ(manager.RequestProgram(&display, &a, 99, 0, Kiv::PString("TestA"), file, 0, 0), 0);
    ASSERT_EQ(manager.RequestProgram(&display, &again, 99, 0, Kiv::PString("TestA"), file, 0, 0), 0);
    EXPECT_EQ(a, again);
    EXPECT_EQ(a->GetEntry().layout, "PNTA");
    EXPECT_EQ(a->GetEntry().sections, (std::vector<std::string>{"ParallelLight", "OneTex", "Fog"}));
    EXPECT_NE(manager.RequestProgram(&display, &missing, 99, 0, Kiv::PString("TestC"), file, 0, 0), 0);
    EXPECT_NE(manager.RequestProgram(&display, &missing, 99, 0, Kiv::PString("TestA"),
                                     Kiv::PString("NoSuchFile"), 0, 0),
              0);
    EXPECT_EQ(missing, nullptr);

    display.SetRecording(true);
    a->SetLocalConstant(display, 7, {1, 0, 0, 0});
    EXPECT_EQ(display.GetCallLog(), std::vector<std::string>{"VertexConstant TestA 7 1 0 0 0"});
    EXPECT_EQ(a->GetLocalConstant(7), (Kiv::Vector4{1, 0, 0, 0}));
    a->ReleaseReference();
    again->ReleaseReference();
}

TEST(VertexProgramManager, AMalformedListGivesNoPrograms) {
    EXPECT_TRUE(Kiv::VertexProgramManager::ParseProgramList("vertexProgram\n{\nOnlyAName\n}\n").empty());
    EXPECT_TRUE(Kiv::VertexProgramManager::ParseProgramList("vertexProgram\n{\nA PNTA\n").empty());
    EXPECT_TRUE(Kiv::VertexProgramManager::ParseProgramList("").empty());
}

TEST(TextureCombinerManager, RegistersInHeaderOrder) {
    const Kiv::PString name("TestCombiner");
    Kiv::TextureCombinerManager::RegisterBuiltInPrograms(name, kPixelText);
    Kiv::Display display;
    Kiv::TextureCombiner* combiner = nullptr;
    ASSERT_EQ(display.GetTextureCombinerManager()->RequestProgram(&display, &combiner, name, 0), 0);
    ASSERT_EQ(combiner->GetRegisters().size(), 2u);
    EXPECT_EQ(combiner->GetRegisterIndex("LightDiff"), 0);
    EXPECT_EQ(combiner->GetRegisterIndex("Specular"), 1);
    EXPECT_EQ(combiner->GetRegisterIndex("Lerp"), -1);
    EXPECT_EQ(combiner->GetConstant(1), (Kiv::Color{0.9f, 0.9f, 0.9f, 0.75f}));

    Kiv::TextureCombiner* missing = nullptr;
    EXPECT_NE(display.GetTextureCombinerManager()->RequestProgram(
                  &display, &missing, Kiv::PString("NoSuchCombiner"), 0),
              0);
    Kiv::TextureCombinerManager::RegisterBuiltInPrograms(Kiv::PString("TestBadHeader"),
                                                         "header\n{\nLightDiff = 0, 0\n}\n");
    EXPECT_NE(display.GetTextureCombinerManager()->RequestProgram(
                  &display, &missing, Kiv::PString("TestBadHeader"), 0),
              0);
    EXPECT_EQ(missing, nullptr);
    combiner->ReleaseReference();
}

}  // namespace
