#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "win/UniqueHandle.h"

namespace velmora {

// A folder opened without following a reparse point, and held so that nobody can rename or
// remove it while it is held: a path through held folders leads where it led when they were
// opened. Refused when the name holds a file, a junction or a link, or a folder whose owner
// is neither the user, nor SYSTEM, nor the Administrators.
class HeldFolder {
  public:
    // The folder at `path`, made first with the private DACL (user, SYSTEM, Administrators)
    // when it is missing. Nothing, with `error`, when it is refused or cannot be had.
    static std::optional<HeldFolder> open(const std::filesystem::path& path, std::string& error);
    // A folder that did not exist, made with the private DACL, that can be removed again.
    static std::optional<HeldFolder> makeNew(const std::filesystem::path& path, std::string& error);

    const std::filesystem::path& path() const { return path_; }
    HANDLE handle() const { return handle_.get(); }

    // Removes the folder when it is let go, if it is empty by then.
    void removeWhenLetGo() { removeWhenLetGo_ = true; }

    ~HeldFolder();
    HeldFolder(HeldFolder&& other) noexcept = default;
    HeldFolder& operator=(HeldFolder&&) = delete;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

  private:
    HeldFolder(std::filesystem::path path, UniqueHandle handle)
        : path_(std::move(path)), handle_(std::move(handle)) {}

    static std::optional<HeldFolder> hold(const std::filesystem::path& path, DWORD access,
                                          std::string& error);

    std::filesystem::path path_;
    UniqueHandle handle_;
    bool removeWhenLetGo_ = false;
};

}  // namespace velmora
