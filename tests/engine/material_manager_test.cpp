// The material manager: the type of a request name, the engine's plug-ins behind the
// types, the result codes of unknown and unsupported types with their replacement, and a
// new material for every request.
#include "engine/material_manager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/material.h"
#include "engine/material_plugin.h"
#include "engine/render_kernel.h"

namespace {

TEST(MaterialManager, TypeOfName) {
    const struct {
        const char* name;
        const char* type;
    } cases[] = {
        {"KodrinDummyLoad.m.tbumptex", "m.tbumptex"},
        {"owner*folder*body.m.tglossrust", "m.tglossrust"},
        {"owner.m.x*folder*body", "m.onetex"},     // only the last part counts
        {"owner*body.M.TBumpEnv", "m.tbumpenv"},   // case ignored
        {"a.m.b.m.onetex", "m.onetex"},            // the last token
        {"plain", "m.onetex"},
        {"owner.m.", "m."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Kiv::MaterialManager::TypeOfName(Kiv::PString(c.name)).View(), c.type) << c.name;
    }
}

// A plug-in that the display never supports, naming a replacement.
class Unsupported final : public Kiv::MaterialPlugin {
public:
    Unsupported(const char* name, const char* replacement)
        : MaterialPlugin(Kiv::PString(name)), replacement_(replacement) {}
    bool IsSupported(Kiv::Display*, Kiv::PString& replacement) override {
        replacement = Kiv::PString(replacement_);
        return false;
    }
    Kiv::Material* CreateMaterial(Kiv::MaterialManager*, Kiv::RenderKernel*) override {
        return nullptr;
    }

private:
    const char* replacement_;
};

TEST(MaterialManager, ResultsOfRequests) {
    Kiv::PluginBase::RegisterPlugin(new Unsupported("testunsupported", "m.onetex"));
    Kiv::PluginBase::RegisterPlugin(new Unsupported("testunsupported2", "testunsupported"));
    Kiv::PluginBase::RegisterPlugin(new Unsupported("testnowhere", "testmissing"));
    Kiv::RenderKernel kernel(nullptr, 8);
    Kiv::MaterialManager& manager = *kernel.GetMaterialManager();
    const struct {
        const char* name;
        int result;
        const char* typeMade;
    } cases[] = {
        {"x.m.onetex", 0, "onetex"},
        {"x", 0, "onetex"},
        {"x.m.notex", 0, "notex"},
        {"x.m.reflect", 0, "reflect"},
        {"x.m.tgroundonetexvs", 0, "tgroundonetexvs"},
        {"x.m.nosuchtype", 1, nullptr},
        {"x.m.testunsupported", 0, "onetex"},   // the replacement
        {"x.m.testunsupported2", 3, nullptr},   // the replacement is unsupported too
        {"x.m.testnowhere", 3, nullptr},        // the replacement does not exist
    };
    for (const auto& c : cases) {
        Kiv::Material* material = nullptr;
        EXPECT_EQ(manager.RequestMaterial(Kiv::PString(c.name), &material), c.result) << c.name;
        if (!c.typeMade) {
            EXPECT_EQ(material, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(material, nullptr) << c.name;
        EXPECT_EQ(material->GetTypeName().View(), c.typeMade) << c.name;
        material->ReleaseReference();
    }
    for (const char* name : {"testunsupported", "testunsupported2", "testnowhere"}) {
        Kiv::PluginBase::UnregisterPlugin(Kiv::kMaterialFamilyUId, Kiv::PString(name));
    }
}

TEST(MaterialManager, EveryRequestMakesANewMaterialAndClonesCompare) {
    Kiv::RenderKernel kernel(nullptr, 8);
    Kiv::MaterialManager& manager = *kernel.GetMaterialManager();
    Kiv::Material* first = nullptr;
    Kiv::Material* second = nullptr;
    ASSERT_EQ(manager.RequestMaterial(Kiv::PString("a.m.gloss"), &first), 0);
    ASSERT_EQ(manager.RequestMaterial(Kiv::PString("a.m.gloss"), &second), 0);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->IsEqual(*second));
    first->ambient = {0.5f, 0.5f, 0.5f, 1};
    EXPECT_FALSE(first->IsEqual(*second));
    Kiv::Material* clone = first->Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->IsEqual(*first));
    EXPECT_EQ(clone->GetTypeName().View(), "gloss");
    Kiv::Material* plain = nullptr;
    ASSERT_EQ(manager.RequestMaterial(Kiv::PString("a.m.onetex"), &plain), 0);
    EXPECT_FALSE(plain->IsEqual(*second));  // another class
    for (Kiv::Material* material : {first, second, clone, plain}) material->ReleaseReference();
}

}  // namespace

namespace {

// A blend cache that notes what it is given.
class NotingCache final : public Kiv::AlphaBlendCache {
public:
    void AddChunk(Kiv::Display&, Kiv::Viewport*, Kiv::Material*, Kiv::GeometryChunk* chunk,
                  const Kiv::LightList*, const Kiv::Matrix4*) override {
        given.push_back(chunk);
    }
    std::vector<Kiv::GeometryChunk*> given;
};

TEST(Material, CacheChunkDrawsOpaqueChunksAtOnce) {
    Kiv::RenderKernel kernel(nullptr, 8);
    auto* cache = new NotingCache;
    Kiv::OneTextureMaterial material(kernel.GetMaterialManager(), nullptr, nullptr, cache);
    Kiv::GeometryChunk* chunk = material.CreateGeometryChunk(3, 1, 3, 0, 0, Kiv::StandardChunkHint());
    Kiv::Display& display = *kernel.GetDisplay();
    display.SetRecording(true);
    const struct {
        float materialOpacity;
        float chunkOpacity;
        int alphaHint;  // -1: estimated
        bool cached;
    } cases[] = {
        {1, 1, -1, false}, {1, 1, 0, false}, {0.5f, 1, -1, true}, {1, 0.5f, 0, true}, {1, 1, 1, true},
    };
    for (const auto& c : cases) {
        material.opacityFactor = c.materialOpacity;
        material.SetCachedAlphaHint(c.alphaHint);
        chunk->SetOpacity(c.chunkOpacity);
        cache->given.clear();
        display.ClearCallLog();
        material.CacheChunk(display, nullptr, chunk, nullptr, nullptr);
        EXPECT_EQ(cache->given.size(), c.cached ? 1u : 0u) << c.materialOpacity << " " << c.alphaHint;
        const auto& log = display.GetCallLog();
        EXPECT_EQ(std::count(log.begin(), log.end(), "Draw - 4 1"), c.cached ? 0 : 1);
    }
    chunk->ReleaseReference();
    cache->ReleaseReference();
}

}  // namespace
