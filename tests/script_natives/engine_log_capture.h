// The engine log written to a file of the test's own while the capture lives; Text() reads
// what arrived so far (the log is shut down first, so every line is on disk).
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "engine/log.h"
#include "engine/options.h"
#include "gs_runtime_test_support.h"

namespace nativetest {

class EngineLogCapture {
  public:
    EngineLogCapture() {
        Kiv::Options options;
        options.ProcessRaw(("-LogFile=" + Path()).c_str());
        Kiv::Log::Init(options);
    }
    ~EngineLogCapture() { Kiv::Log::Shutdown(); }
    EngineLogCapture(const EngineLogCapture&) = delete;
    EngineLogCapture& operator=(const EngineLogCapture&) = delete;

    std::string Text() {
        Kiv::Log::Shutdown();
        std::ifstream in(Path());
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

  private:
    std::string Path() const { return folder_.Path() + "/engine.log"; }
    gstest::ScratchFolder folder_;
};

}  // namespace nativetest
