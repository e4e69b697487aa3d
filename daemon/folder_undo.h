// FolderUndo: the folder moves of one asset-table change, so that a change whose record
// cannot be saved puts every folder back where it was, the last move first.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "daemon/folder_move.h"

class FolderUndo {
  public:
    // MoveFolder, remembered when it succeeds.
    bool Move(const std::filesystem::path& from, const std::filesystem::path& to,
              std::string& error) {
        if (!MoveFolder(from, to, error)) return false;
        Done(from, to);
        return true;
    }
    // A move made elsewhere.
    void Done(const std::filesystem::path& from, const std::filesystem::path& to) {
        moves_.emplace_back(from, to);
    }
    void Undo() {
        std::string ignored;
        for (auto move = moves_.rbegin(); move != moves_.rend(); ++move)
            MoveFolder(move->second, move->first, ignored);
        moves_.clear();
    }

  private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> moves_;
};
