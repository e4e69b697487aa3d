// KAVTextureConvertFileRPC: the conversion of one ".texture.txt" description into its
// ".texture" file, as a chain of three steps: LoadTexture on the main thread (opens the
// location's resource database, makes the converting resource, attaches the options,
// loads it and decodes its images), CompressAndWrite on a worker (compresses and writes
// the file, then gives the description its own name back) and Finish on the main thread
// (unlocks and releases everything). Start prepares the files first: the old ".texture" is
// deleted and the description is moved aside to a name ending in "convert-tex.txt", the
// ending for which the resource system makes the converting resource.
//
// Every failure adds an error entry to the caller's log and clears the job's succeeded
// flag; an interrupt request (foundation/crash/interrupt_request.h) abandons a job that has
// not loaded its texture yet, and the description still gets its name back. When preparation could not place the file under a location, the steps do nothing:
// there is no database or resource to open, and the error is in the log already.
#pragma once

#include <cstdint>

#include "content3d/textures/kodrin_worker_call_chain.h"
#include "engine/file_path.h"
#include "engine/options.h"
#include "engine/pstring.h"

class CompressAsciiResource;
class KodrinResourceDatabase;
class ResultsLog;
namespace Kiv {
class TextureResource;
}

// Splits an absolute path into a location and the path below it (a given location stays);
// false, both emptied, when the path lies in no location. The asset-database client's
// user-data folders answer it; start-up installs their splitter.
using TextureAssetPathSplitter = bool (*)(Kiv::PString& location, Kiv::File::Path& path);
void SetTextureAssetPathSplitter(TextureAssetPathSplitter splitter);

class KAVTextureConvertFileRPC {
public:
    // Job flags of the three steps.
    static constexpr uint32_t kLoadFlags = 11;      // main thread, not from pumps of mask 2
    static constexpr uint32_t kCompressFlags = 24;  // a worker thread
    static constexpr uint32_t kFinishFlags = 9;     // main thread

    KAVTextureConvertFileRPC() = default;
    KAVTextureConvertFileRPC(const KAVTextureConvertFileRPC&) = delete;
    KAVTextureConvertFileRPC& operator=(const KAVTextureConvertFileRPC&) = delete;
    // Releases whatever a chain cut short left held, and gives the description its name
    // back.
    ~KAVTextureConvertFileRPC();

    // Prepares the file (path under location, or absolute with an empty location) and
    // starts the chain; entries go to log.
    void Start(const Kiv::PString& location, const Kiv::File::Path& path, ResultsLog& log);
    // Waits for the chain; whether everything succeeded.
    bool Wait();

    void LoadTexture(intptr_t);
    void CompressAndWrite(intptr_t);
    void Finish(intptr_t);

private:
    void Prepare();
    void MoveBack();
    void ReleaseHeld();
    CompressAsciiResource* GetConverter() const;
    // An error entry: text (a "$kavtexture_" key is localised) with FILE_NAME, ARCHIVE and
    // REASON when given.
    void AddError(const char* text, const char* fileName, const char* archive,
                  const char* reason = nullptr);
    // An error of the description, named as the user names it (its own name, "/" between
    // folders) with the location and the reason when there is one.
    void AddDescriptionError(const char* key, const char* reason);

    Kiv::PString location_;
    Kiv::File::Path path_;
    ResultsLog* log_ = nullptr;
    bool succeeded_ = true;
    KodrinWorkerCallChain chain_;
    KodrinResourceDatabase* database_ = nullptr;
    Kiv::TextureResource* texture_ = nullptr;
    bool mipsLocked_ = false;
    bool movedAside_ = false;
    Kiv::File::Path temporaryPath_;
    Kiv::File::Path descriptionPath_;
    Kiv::File::Path outputPath_;
    Kiv::Options options_;
};
