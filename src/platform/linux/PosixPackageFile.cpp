#include "linux/PosixPackageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "linux/UniqueFd.h"

namespace velmora {

namespace {

// Small pieces keep the page cache to small folios (bench/README.md tells why that matters).
constexpr std::size_t kWriteChunk = std::size_t{64} << 10;
constexpr mode_t kOwnerOnlyExecutable = S_IRWXU;

bool writeAll(int fd, const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, data, std::min(count, kWriteChunk));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string describe(int errorNumber) {
    return std::strerror(errorNumber);
}

class PosixSavedPackage final : public SavedPackage {
  public:
    PosixSavedPackage(std::string fileName, UniqueFd readable)
        : fileName_(std::move(fileName)), readable_(std::move(readable)) {}
    ~PosixSavedPackage() override {
        if (!settled_) {
            ::unlink(fileName_.c_str());
        }
    }
    PosixSavedPackage(const PosixSavedPackage&) = delete;
    PosixSavedPackage& operator=(const PosixSavedPackage&) = delete;

    const std::string& fileName() const override { return fileName_; }
    std::intptr_t handle() const override { return readable_.get(); }

    bool read(const PieceSink& sink, std::string& error) override {
        std::vector<std::uint8_t> buffer(kWriteChunk);
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(readable_.get(), buffer.data(), buffer.size(), offset);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                error = describe(errno);
                return false;
            }
            if (got == 0) {
                return true;
            }
            sink({buffer.data(), static_cast<std::size_t>(got)});
            offset += got;
        }
    }

    bool releaseForStart(std::string& /*error*/) override { return true; }

    bool keep(std::string& /*error*/) override {
        settled_ = true;
        return true;
    }

    // A package that still runs can be unlinked: its file goes once it ends.
    bool discard(std::string& error) override {
        settled_ = true;
        if (::unlink(fileName_.c_str()) != 0 && errno != ENOENT) {
            error = describe(errno);
            return false;
        }
        return true;
    }

  private:
    std::string fileName_;
    UniqueFd readable_;
    bool settled_ = false;
};

class PosixPackageWriter final : public PackageWriter {
  public:
    PosixPackageWriter(std::string fileName, UniqueFd fd)
        : fileName_(std::move(fileName)), fd_(std::move(fd)) {}

    ~PosixPackageWriter() override {
        if (!finished_) {
            fd_.reset();
            ::unlink(fileName_.c_str());
        }
    }
    PosixPackageWriter(const PosixPackageWriter&) = delete;
    PosixPackageWriter& operator=(const PosixPackageWriter&) = delete;

    bool append(std::span<const std::uint8_t> piece, std::string& error) override {
        if (!writeAll(fd_.get(), piece.data(), piece.size())) {
            error = describe(errno);
            return false;
        }
        return true;
    }

    // The read-only descriptor is opened through the writing one, so it is the same file
    // whatever the name now points at; the writing one is closed so that the file can be
    // run (a file open for writing cannot be).
    std::unique_ptr<SavedPackage> finish(std::string& error) override {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
        UniqueFd readable(::open(self.c_str(), O_RDONLY | O_CLOEXEC));
        if (!readable) {
            error = describe(errno);
            return nullptr;
        }
        if (!fd_.close()) {
            error = describe(errno);
            return nullptr;
        }
        finished_ = true;
        return std::make_unique<PosixSavedPackage>(fileName_, std::move(readable));
    }

  private:
    std::string fileName_;
    UniqueFd fd_;
    bool finished_ = false;
};

}  // namespace

std::unique_ptr<PackageWriter> PosixPackageFile::create(const std::string& fileName,
                                                        std::string& error) {
    // Whatever stands under the name goes first (a link is removed, not followed), so the
    // new file is created afresh and holds exactly the bytes written to it.
    if (::unlink(fileName.c_str()) != 0 && errno != ENOENT) {
        error = describe(errno);
        return nullptr;
    }
    UniqueFd fd(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       kOwnerOnlyExecutable));
    if (!fd) {
        error = describe(errno);
        return nullptr;
    }
    // The umask must not take the owner's right to run it.
    if (::fchmod(fd.get(), kOwnerOnlyExecutable) != 0) {
        error = describe(errno);
        fd.reset();
        ::unlink(fileName.c_str());
        return nullptr;
    }
    return std::make_unique<PosixPackageWriter>(fileName, std::move(fd));
}

}  // namespace velmora
