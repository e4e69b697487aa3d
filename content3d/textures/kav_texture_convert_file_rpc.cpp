// Preparing one description, the three steps, and the messages they add.
#include "content3d/textures/kav_texture_convert_file_rpc.h"

#include <atomic>
#include <exception>
#include <string_view>

#include "content3d/resource_database.h"
#include "content3d/resource_database_holder.h"
#include "content3d/textures/compress_ascii_resource.h"
#include "engine/file.h"
#include "engine/resource_system.h"
#include "foundation/crash/interrupt_request.h"
#include "foundation/files/file_paths.h"
#include "foundation/results/results_log.h"
#include "foundation/text/interface_text.h"

namespace {

constexpr const char* kJobOptions = "-Automip=none -Compression=auto";
constexpr const char* kConvertingEnding = "convert-tex.txt";
constexpr std::string_view kInterfaceKeyPrefix = "$kavtexture_";

std::atomic<TextureAssetPathSplitter> g_splitter{nullptr};

bool SplitAssetPath(Kiv::PString& location, Kiv::File::Path& path) {
    if (const TextureAssetPathSplitter splitter = g_splitter.load()) return splitter(location, path);
    if (!location.IsEmpty()) return true;
    path = Kiv::File::Path();
    return false;
}

void UnlinkUnder(const Kiv::PString& location, const Kiv::File::Path& path) {
    Kiv::File::Path full(location.c_str());
    full.AddPath(path.c_str());
    Kiv::File::Unlink(full.c_str());
}

}  // namespace

void SetTextureAssetPathSplitter(TextureAssetPathSplitter splitter) {
    g_splitter.store(splitter);
}

KAVTextureConvertFileRPC::~KAVTextureConvertFileRPC() {
    ReleaseHeld();
    MoveBack();
}

void KAVTextureConvertFileRPC::AddError(const char* text, const char* fileName, const char* archive,
                                        const char* reason) {
    ResultsLogParameters parameters;
    if (fileName) parameters.emplace_back("FILE_NAME", fileName);
    if (archive) parameters.emplace_back("ARCHIVE", archive);
    if (reason) parameters.emplace_back("REASON", reason);
    const bool localised = std::string_view(text).starts_with(kInterfaceKeyPrefix);
    const Kiv::String message = localised ? GetInterfaceText(Kiv::PString(text)) : Kiv::String(text);
    log_->AddEntry(ResultsLogKind::Error, nullptr, message, &parameters);
}

void KAVTextureConvertFileRPC::Start(const Kiv::PString& location, const Kiv::File::Path& path,
                                     ResultsLog& log) {
    location_ = location;
    path_ = path;
    log_ = &log;
    Prepare();
    chain_.AddStep(std::make_unique<TCXCallbackCPPVoidPtr<KAVTextureConvertFileRPC>>(
                       this, &KAVTextureConvertFileRPC::LoadTexture),
                   kLoadFlags);
    chain_.AddStep(std::make_unique<TCXCallbackCPPVoidPtr<KAVTextureConvertFileRPC>>(
                       this, &KAVTextureConvertFileRPC::CompressAndWrite),
                   kCompressFlags);
    chain_.AddStep(std::make_unique<TCXCallbackCPPVoidPtr<KAVTextureConvertFileRPC>>(
                       this, &KAVTextureConvertFileRPC::Finish),
                   kFinishFlags);
    chain_.Start();
}

bool KAVTextureConvertFileRPC::Wait() {
    chain_.Wait();
    if (chain_.WasCut()) succeeded_ = false;
    return succeeded_;
}

void KAVTextureConvertFileRPC::Prepare() {
    const Kiv::File::Path asPassed = path_;
    if (!SplitAssetPath(location_, path_)) {
        AddError("Unable to determine relative path for '$(FILE_NAME)'", asPassed.c_str(), nullptr);
        succeeded_ = false;
        return;
    }
    outputPath_ = path_;
    outputPath_.SetExt("");
    UnlinkUnder(location_, outputPath_);
    descriptionPath_ = path_;
    path_.SetExt("").SetExt(kConvertingEnding);
    if (!RenameFileUnder(location_, descriptionPath_, path_)) {
        AddError("Unable to rename file '$(FILE_NAME)' in subst '$(ARCHIVE)'",
                 descriptionPath_.c_str(), location_.c_str());
        succeeded_ = false;
        return;
    }
    movedAside_ = true;
    temporaryPath_ = path_;
    path_.SetExt("");
}

CompressAsciiResource* KAVTextureConvertFileRPC::GetConverter() const {
    return dynamic_cast<CompressAsciiResource*>(texture_);
}

void KAVTextureConvertFileRPC::AddDescriptionError(const char* key, const char* reason) {
    if (reason && !*reason) reason = "the cause is unknown";
    AddError(key, WithForwardSlashes(descriptionPath_.View()).c_str(), location_.c_str(), reason);
}

void KAVTextureConvertFileRPC::LoadTexture(intptr_t) {
    if (location_.IsEmpty() || path_.IsEmpty()) return;
    if (IsInterruptRequested()) {
        succeeded_ = false;
        return;
    }
    database_ = KodrinResourceDatabase::Open(location_, ResourceDatabaseHolder::GetInstallFolder().c_str());
    if (!database_) {
        succeeded_ = false;
        AddError("$kavtexture_invalid_subst", nullptr, location_.c_str());
        return;
    }
    Kiv::Resource* resource = database_->Get(Kiv::PString(path_.c_str()), Kiv::ResourceDatabase::kGetCreate);
    texture_ = dynamic_cast<Kiv::TextureResource*>(resource);
    if (!texture_) {
        if (resource) resource->Release();
        AddDescriptionError("$kavtexture_open_error", nullptr);
        succeeded_ = false;
        return;
    }
    CompressAsciiResource* converter = GetConverter();
    if (!converter) {
        AddDescriptionError("$kavtexture_incorrect_resource", nullptr);
        succeeded_ = false;
        return;
    }
    options_.ProcessRaw(kJobOptions);
    converter->SetOptions(options_);
    if (!texture_->Lock()) {
        AddDescriptionError("$kavtexture_load_error", texture_->GetLoadError().c_str());
        succeeded_ = false;
        return;
    }
    // The engine's own lock: the images are decoded here, compressed on the worker.
    if (converter->Kiv::AsciiTextureResource::GetMipLock()) {
        mipsLocked_ = true;
        return;
    }
    AddDescriptionError("$kavtexture_lock_error", texture_->GetLoadError().c_str());
    succeeded_ = false;
    texture_->Unlock();
}

void KAVTextureConvertFileRPC::CompressAndWrite(intptr_t) {
    if (mipsLocked_) {
        try {
            CompressAsciiResource* converter = GetConverter();
            if (!converter->SaveConverted(location_, outputPath_)) {
                AddError("Unable to write output file '$(FILE_NAME)'", outputPath_.c_str(), nullptr);
                succeeded_ = false;
                if (!converter->GetCompressError().empty())
                    log_->AddEntry(ResultsLogKind::Information, nullptr, converter->GetCompressError().c_str());
            }
        } catch (const std::exception& exception) {
            ResultsLogParameters parameters = {{"ERROR", exception.what()},
                                               {"FILE_NAME", outputPath_.c_str()}};
            log_->AddEntry(ResultsLogKind::Error, nullptr,
                           "Exception '$(ERROR)' thrown while processing '$(FILE_NAME)'", &parameters);
            succeeded_ = false;
        }
    }
    MoveBack();
}

void KAVTextureConvertFileRPC::MoveBack() {
    if (!movedAside_) return;
    movedAside_ = false;
    if (RenameFileUnder(location_, temporaryPath_, descriptionPath_)) return;
    AddError("Unable to rename file '$(FILE_NAME)' in subst '$(ARCHIVE)'", temporaryPath_.c_str(),
             location_.c_str());
    succeeded_ = false;
}

void KAVTextureConvertFileRPC::Finish(intptr_t) {
    ReleaseHeld();
}

void KAVTextureConvertFileRPC::ReleaseHeld() {
    if (mipsLocked_) {
        GetConverter()->GetMipUnlock();
        texture_->Unlock();
        mipsLocked_ = false;
    }
    if (texture_) {
        // The converting resource is not left cached: a later conversion of the same name
        // must read the description and its options afresh.
        const Kiv::PString name = texture_->GetName();
        texture_->Release();
        if (Kiv::ResourceSystem* system = Kiv::ResourceSystem::Current())
            system->DumpUnusedResource(database_, name.View());
    }
    texture_ = nullptr;
    KodrinResourceDatabase::Release(database_);
    database_ = nullptr;
}
