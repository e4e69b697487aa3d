// What the material tests share: a render kernel with the program's plug-ins registered,
// materials requested by type, chunk hints, a camera viewport, and the display's call log
// filtered to the lines of interest.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content3d/program_plugins.h"
#include "engine/material.h"
#include "engine/render_kernel.h"

class MaterialsTest : public ::testing::Test {
protected:
    MaterialsTest() {
        KivGetPlugins();
        display_ = kernel_.GetDisplay();
        viewport_ = Kiv::Viewport(&camera_);
    }
    ~MaterialsTest() override {
        for (Kiv::GeometryChunk* chunk : chunks_) chunk->ReleaseReference();
        for (Kiv::Material* material : materials_) material->ReleaseReference();
    }

    // A material of type ("m.tbumptex"), released with the fixture.
    template <typename T = Kiv::Material>
    T* Make(const char* type) {
        Kiv::Material* material = nullptr;
        const int result = kernel_.GetMaterialManager()->RequestMaterial(
            Kiv::PString((std::string("test.") + type).c_str()), &material);
        EXPECT_EQ(result, 0) << type;
        if (material) materials_.push_back(material);
        return dynamic_cast<T*>(material);
    }

    // A chunk of a material with 3 vertices, 1 face, 3 indices, released with the fixture.
    Kiv::GeometryChunk* Chunk(Kiv::Material& material, const Kiv::ChunkHint& hint = Kiv::StandardChunkHint(),
                              int geometryType = 0) {
        Kiv::GeometryChunk* chunk = material.CreateGeometryChunk(3, 1, 3, 0, geometryType, hint);
        if (chunk) chunks_.push_back(chunk);
        return chunk;
    }

    // The recorded lines from now on.
    void Record() {
        display_->ClearCallLog();
        display_->SetRecording(true);
    }
    std::vector<std::string> Log() const { return display_->GetCallLog(); }
    // The recorded lines that start with prefix.
    std::vector<std::string> LogOf(const std::string& prefix) const {
        std::vector<std::string> lines;
        for (const std::string& line : display_->GetCallLog()) {
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
        }
        return lines;
    }

    Kiv::RenderKernel kernel_{nullptr, 8};
    Kiv::Display* display_;
    Kiv::Camera camera_;
    Kiv::Viewport viewport_;
    std::vector<Kiv::Material*> materials_;
    std::vector<Kiv::GeometryChunk*> chunks_;
};
