#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace velmora {

// Takes the bytes of a saved package as they are read back, in order.
using PieceSink = std::function<void(std::span<const std::uint8_t> piece)>;

// The package as it was written, held open: what is checked and started is the file that was
// written, whatever has since been put under its name. One that goes without keep() takes
// its file with it.
class SavedPackage {
  public:
    virtual ~SavedPackage() = default;
    virtual const std::string& fileName() const = 0;
    // The platform's handle of the open file: a file descriptor on POSIX, a HANDLE on
    // Windows.
    virtual std::intptr_t handle() const = 0;

    // Reads the held file from its first byte to its last into `sink`; false, with `error`
    // describing why, when a read fails.
    virtual bool read(const PieceSink& sink, std::string& error) = 0;
    // The file has passed its checks: what kept it marked for deletion meanwhile (so that a
    // program killed half way leaves nothing) is lifted, so that it can be started.
    virtual bool releaseForStart(std::string& error) = 0;
    // Keeps the file where kept packages are found, under its name.
    virtual bool keep(std::string& error) = 0;
    // Deletes the file now; false, with `error`, when it cannot (a package still running
    // cannot be deleted on Windows).
    virtual bool discard(std::string& error) = 0;
};

// A package file being written as the download delivers it. One that goes without being
// finished takes its file with it: nothing half-written is left behind.
class PackageWriter {
  public:
    virtual ~PackageWriter() = default;

    // Appends the piece; false, with `error` describing why, when it could not.
    virtual bool append(std::span<const std::uint8_t> piece, std::string& error) = 0;

    // Ends the writing and holds the file; nullptr, with `error`, when it could not (the
    // file is then removed when the writer goes).
    virtual std::unique_ptr<SavedPackage> finish(std::string& error) = 0;
};

// Where the downloaded package is written.
class PackageFile {
  public:
    virtual ~PackageFile() = default;

    // True when a saved package is held so that no other program can change its bytes
    // until it goes: its digest is then taken from the saved file itself, which is exactly
    // what starts. Where a file cannot be held against writers, the digest taken while it
    // arrived is the best there is.
    virtual bool holdsSavedPackages() const = 0;

    // A new, empty file for the package under its bare name, executable by its owner only,
    // and its writer. Never follows a link planted under the name and never appends.
    // nullptr, with `error` describing why, when it could not.
    virtual std::unique_ptr<PackageWriter> create(const std::string& fileName,
                                                  std::string& error) = 0;
};

}  // namespace velmora
