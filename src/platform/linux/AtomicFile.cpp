#include "linux/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace velmora {

namespace {

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& file) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno("write", file);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void syncFolder(const std::filesystem::path& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0) {
        throwErrno("fsync", folder);
    }
}

// The temporary file of a replacement, removed unless it has been renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::filesystem::path& beside)
        : path_(beside.string() + ".tmp-XXXXXX") {
        std::string pattern = path_.string();
        fd_ = UniqueFd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (!fd_.valid()) {
            throwErrno("mkostemp", beside);
        }
        path_ = pattern;
    }
    ~TemporaryFile() {
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void fill(std::string_view bytes, mode_t mode) {
        if (::fchmod(fd_.get(), mode) != 0) {
            throwErrno("fchmod", path_);
        }
        writeAll(fd_.get(), bytes, path_);
        if (::fsync(fd_.get()) != 0) {
            throwErrno("fsync", path_);
        }
        if (!fd_.close()) {
            throwErrno("close", path_);
        }
    }

    void renameTo(const std::filesystem::path& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            throwErrno("rename", target);
        }
        committed_ = true;
    }

  private:
    std::filesystem::path path_;
    UniqueFd fd_;
    bool committed_ = false;
};

}  // namespace

void throwErrno(const std::string& what, const std::filesystem::path& file) {
    throw std::system_error(errno, std::system_category(), what + " " + file.string());
}

std::optional<std::string> readRegularFile(const std::filesystem::path& file, std::size_t limit) {
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throwErrno("open", file);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        throwErrno("fstat", file);
    }
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        throwErrno("open", file);
    }
    if (static_cast<std::size_t>(status.st_size) > limit) {
        errno = EFBIG;
        throwErrno("read", file);
    }
    std::string content;
    char chunk[65536];
    while (true) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno("read", file);
        }
        if (got == 0) {
            return content;
        }
        content.append(chunk, static_cast<std::size_t>(got));
        if (content.size() > limit) {
            errno = EFBIG;
            throwErrno("read", file);
        }
    }
}

void replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t mode) {
    TemporaryFile temporary(file);
    temporary.fill(bytes, mode);
    temporary.renameTo(file);
    syncFolder(file.parent_path());
}

FileLock::FileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds patience)
    : fd_(::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600)) {
    if (!fd_.valid()) {
        throwErrno("open", lockFile);
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            throwErrno("flock", lockFile);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            throwErrno("flock", lockFile);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace velmora
