// TFile: a byte stream over an engine file (Kiv::File), which the stream owns (and deletes
// when it closes) or borrows (and leaves standing at the stream's logical position). A read
// that stops short at the end of the file is no error; only a failing read, write or seek
// sets error 1, so reading a file to its end reports like a memory stream does.
#pragma once

#include <cstdint>

#include "engine/file.h"
#include "foundation/streams/t_stream.h"

class TFile : public TStream {
  public:
    // The open modes the program uses.
    static constexpr uint32_t kModeRead = Kiv::File::kOpenRead;                             // 16
    static constexpr uint32_t kModeReadShared = Kiv::File::kOpenReadShared;                 // 32
    static constexpr uint32_t kModeCreate = Kiv::File::kOpenCreate | Kiv::File::kOpenWrite; // 257
    static constexpr uint32_t kModeCreateShared = kModeCreate | kModeReadShared;            // 289

    explicit TFile(Kiv::File* file = nullptr, bool owned = false) : file_(file), owned_(owned) {}
    ~TFile() override { Close(); }

    // Closes, then opens path into a new owned file; test IsOpen for the outcome.
    void Open(const char* path, uint32_t mode);
    void OpenIn(const char* folder, const char* name, uint32_t mode);
    // The file, made (owned, not opened) when there is none.
    Kiv::File* GetFile();
    // Detaches the file (an owned one is deleted), empties the buffer, clears the error.
    void Close();
    // Takes file in place of the current one; a previous owned file is deleted, a borrowed
    // one left as it stands.
    void Attach(Kiv::File* file, bool owned);

    // Closes the open file and creates it afresh (mode 257) with the option it had.
    void Reopen() override;
    int64_t Tell() const override;
    bool IsOpen() const override { return file_ && file_->IsOpen(); }
    bool Eof() const override;

  protected:
    size_t Write(const void* source, size_t n) override;
    size_t Read(void* destination, size_t n) override;
    void Seek(int64_t offset, int origin) override;

  private:
    void DropFile();

    Kiv::File* file_;
    bool owned_;
};
