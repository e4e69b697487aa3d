// TFile: opening, closing and the unbuffered operations on the engine file.
#include "foundation/streams/t_file.h"

#include <string>

void TFile::Open(const char* path, uint32_t mode) {
    Close();
    file_ = new Kiv::File;
    owned_ = true;
    EmptyBuffer();
    file_->Open(path, mode, 0);
}

void TFile::OpenIn(const char* folder, const char* name, uint32_t mode) {
    Close();
    file_ = new Kiv::File;
    owned_ = true;
    EmptyBuffer();
    file_->Open(folder, name, mode, 0);
}

Kiv::File* TFile::GetFile() {
    if (!file_) {
        EmptyBuffer();
        file_ = new Kiv::File;
        owned_ = true;
    }
    return file_;
}

void TFile::Close() {
    if (!file_) return;
    if (!owned_ && file_->IsOpen() && ReadAheadCount() != 0) file_->Seek(-ReadAheadCount(), 1);
    DropFile();
    EmptyBuffer();
    ClearError();
}

void TFile::Attach(Kiv::File* file, bool owned) {
    if (file != file_) DropFile();
    file_ = file;
    owned_ = owned;
    EmptyBuffer();
}

void TFile::DropFile() {
    if (owned_) delete file_;
    file_ = nullptr;
    owned_ = false;
}

void TFile::Reopen() {
    if (!IsOpen()) return;
    std::string path = file_->GetPath();
    uint32_t option = file_->GetOpenOption();
    file_->Close();
    EmptyBuffer();
    ClearError();
    file_->Open(path.c_str(), kModeCreate, option);
}

int64_t TFile::Tell() const {
    return file_ ? file_->Tell() - ReadAheadCount() : 0;
}

bool TFile::Eof() const {
    return !file_ || (ReadAheadCount() == 0 && file_->Eof());
}

size_t TFile::Write(const void* source, size_t n) {
    if (!IsOpen()) {
        SetError(kErrorIO);
        return 0;
    }
    size_t written = file_->Write(source, n, 1);
    if (written != n) SetError(kErrorIO);
    return written;
}

// Fewer bytes than asked are an error only when the file did not simply end.
size_t TFile::Read(void* destination, size_t n) {
    if (!IsOpen()) {
        SetError(kErrorIO);
        return 0;
    }
    size_t got = file_->Read(destination, n, 1);
    if (got != n && !file_->Eof()) SetError(kErrorIO);
    return got;
}

void TFile::Seek(int64_t offset, int origin) {
    if (!IsOpen()) {
        SetError(kErrorIO);
        return;
    }
    if (origin == 1) offset -= ReadAheadCount();
    if (file_->Seek(offset, origin) < 0) SetError(kErrorIO);
}
