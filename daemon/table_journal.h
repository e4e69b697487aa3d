// TableJournal: the changes made to the asset table since its file was last written whole,
// in "UserData/kavtable.changes", so that a change costs the size of the change and not of
// the table. Each entry is a line "@change <generation> <length> <hash>" and then length
// bytes of text; the hash (FNV-1a 64, hex) tells a whole entry from one a crash cut short.
// An entry counts only for the table file of the same generation: writing the table file
// whole starts a new generation, so entries it already holds are never applied twice. An
// append is flushed (fdatasync) before it counts; a failed one is cut off again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TableJournal {
  public:
    explicit TableJournal(std::filesystem::path path) : path_(std::move(path)) {}
    ~TableJournal();
    TableJournal(const TableJournal&) = delete;
    TableJournal& operator=(const TableJournal&) = delete;

    // Appends one entry of the generation; false with the cause, the file as it was.
    bool Append(uint64_t generation, std::string_view text, std::string& error);
    // Deletes the file (after the table file was written whole).
    bool Clear(std::string& error);
    // The bytes the file holds.
    uint64_t Size() const { return size_; }

    // What Read found: the texts of the whole entries of the generation, and whether the
    // file holds anything else (entries of other generations, a cut-off tail).
    struct Contents {
        std::vector<std::string> entries;
        bool extra = false;
    };
    // The file's entries; false with the cause when the file exists but cannot be read.
    bool Read(uint64_t generation, Contents& contents, std::string& error);

  private:
    bool OpenForAppend(std::string& error);
    void Close();

    std::filesystem::path path_;
    int fd_ = -1;
    uint64_t size_ = 0;
};
