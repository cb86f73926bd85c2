#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace velmora {

// The package as it was written, held open for reading: what is started is the file that
// was written and checked, whatever has since been put under its name.
class SavedPackage {
  public:
    virtual ~SavedPackage() = default;
    virtual const std::string& fileName() const = 0;
    // The platform's handle of the open file: a file descriptor on POSIX, a HANDLE on
    // Windows.
    virtual std::intptr_t handle() const = 0;
};

// A package file being written as the download delivers it. One that goes without being
// finished takes its file with it: nothing half-written is left behind.
class PackageWriter {
  public:
    virtual ~PackageWriter() = default;

    // Appends the piece; false, with `error` describing why, when it could not.
    virtual bool append(std::span<const std::uint8_t> piece, std::string& error) = 0;

    // Ends the writing and keeps the file; nullptr, with `error`, when it could not (the
    // file is then removed when the writer goes).
    virtual std::unique_ptr<SavedPackage> finish(std::string& error) = 0;
};

// The downloaded package on disk, under its bare file name in the working directory.
class PackageFile {
  public:
    virtual ~PackageFile() = default;

    // Replaces any file of that name with a new, empty file, executable by its owner only,
    // and returns its writer. Never follows a link planted under the name and never
    // appends. nullptr, with `error` describing why, when it could not.
    virtual std::unique_ptr<PackageWriter> create(const std::string& fileName,
                                                  std::string& error) = 0;

    // Deletes the file; a file that is already gone counts as deleted. Its SavedPackage
    // must be gone first: on Windows the open file cannot be deleted.
    virtual bool remove(const std::string& fileName, std::string& error) = 0;
};

}  // namespace velmora
