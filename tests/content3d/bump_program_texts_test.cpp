// The bump programs' texts as the engine reads them back: the six vertex programs with
// their layout and sections, each pixel program's registers in order, the sections of
// the shared body, and the key lines of the normal-map lighting in their order.
#include "content3d/materials/bump_program_texts.h"

#include <gtest/gtest.h>

#include "engine/texture_combiner.h"
#include "engine/vertex_program.h"

namespace {

using Lines = std::vector<std::string>;

TEST(BumpProgramTexts, TheVertexProgramList) {
    const struct {
        const char* name;
        Lines sections;
    } programs[] = {
        {"KodrinBump_ParallelLight", {"ParallelLight", "OneTex", "Fog"}},
        {"KodrinBump_SpotLight", {"SpotLight", "OneTex", "Fog"}},
        {"KodrinBumpGloss_ParallelLight", {"ParallelLight", "OneTex", "SphereMap", "Fog"}},
        {"KodrinBumpGloss_SpotLight", {"SpotLight", "OneTex", "SphereMap", "Fog"}},
        {"KodrinBumpEnv_ParallelLight", {"ParallelLight", "OneTex", "cubeMap", "Fog"}},
        {"KodrinBumpEnv_SpotLight", {"SpotLight", "OneTex", "cubeMap", "Fog"}},
    };
    const std::string text = Kiv::BumpVertexProgramText();
    const std::vector<Kiv::VertexProgramEntry> list = Kiv::VertexProgramManager::ParseProgramList(text);
    ASSERT_EQ(list.size(), std::size(programs));
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, programs[i].name);
        EXPECT_EQ(list[i].layout, "PNTA") << programs[i].name;
        EXPECT_EQ(list[i].sections, programs[i].sections) << programs[i].name;
    }
    for (const char* section : {"ParallelLight", "SpotLight", "OneTex", "SphereMap", "cubeMap", "Fog"}) {
        EXPECT_NE(text.find(std::string("%ifdef ") + section + "\n"), std::string::npos) << section;
    }
    for (const char* local : {"program.local[5]", "program.local[6]", "program.local[7]",
                              "program.local[13]", "vertex.attrib[4]"}) {
        EXPECT_NE(text.find(local), std::string::npos) << local;
    }
}

TEST(BumpProgramTexts, PixelProgramRegistersAndKeyLines) {
    const struct {
        const char* name;
        Lines registers;
        bool reflection;
    } programs[] = {
        {"KodrinBumpMat_ParallelLight", {"LightDiff", "LightAmb", "Specular"}, false},
        {"KodrinBumpEnvMat_ParallelLight", {"LightDiff", "LightAmb", "Specular"}, true},
        {"KodrinBumpEnvMat_SpotLight", {"LightDiff", "LightAmb", "Specular"}, false},
        {"KodrinBumpGlossMat_ParallelLight", {"LightDiff", "LightAmb", "Lerp", "Specular"}, true},
        {"KodrinBumpGlossMat_SpotLight", {"LightDiff", "LightAmb", "Lerp", "Specular"}, false},
        {"KodrinBumpRustMat_ParallelLight", {"LightDiff", "LightAmb", "RustColor", "Specular"}, false},
    };
    const Kiv::Color defaults[] = {{0, 0, 0, 1}, {0, 0, 0, 1}, {0.9f, 0.9f, 0.9f, 0.75f}};
    const char* keyLines[] = {"dp3_sat r0.rgb, t1_bx2, v0_bx2",
                              "mad_sat r0.rgb, r0, c[^LightDiff], c[^LightAmb]",
                              "mul_x2 r0.rgb, r0,t0"};
    for (const auto& program : programs) {
        const std::string& text = Kiv::BumpPixelProgramText(program.name);
        std::vector<Kiv::CombinerRegister> registers;
        ASSERT_TRUE(Kiv::TextureCombinerManager::ParseRegisters(text, registers)) << program.name;
        Lines names;
        for (const auto& entry : registers) names.push_back(entry.name);
        EXPECT_EQ(names, program.registers) << program.name;
        EXPECT_EQ(registers[0].value, defaults[0]) << program.name;
        EXPECT_EQ(registers[1].value, defaults[1]) << program.name;
        EXPECT_EQ(registers.back().value, defaults[2]) << program.name;
        size_t at = 0;
        for (const char* line : keyLines) {
            const size_t found = text.find(std::string(line) + "\n", at);
            ASSERT_NE(found, std::string::npos) << program.name << ": " << line;
            at = found;
        }
        EXPECT_EQ(text.find("tex t3") != std::string::npos, program.reflection) << program.name;
    }
    EXPECT_TRUE(Kiv::BumpPixelProgramText("KodrinBumpMat_SpotLight").empty());
}

}  // namespace
