#include "linux/ProgramLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "linux/UniqueFd.h"
#include "linux/XdgDirectories.h"

namespace velmora {

namespace {

bool writeWhole(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool appendToRegularFile(const std::filesystem::path& file, const std::string& line) {
    const UniqueFd fd(::open(
        file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    if (!writeWhole(fd.get(), line)) {
        // Only whole lines stay in the log; the line goes to the next destination whole.
        static_cast<void>(::ftruncate(fd.get(), info.st_size));
        return false;
    }
    return true;
}

LogDestinations programLogDestinations(const ExecutableInfo& executable) {
    return {logFileBeside(executable.path, executable.exeName),
            xdgStateHome() / "velmora" / (executable.exeName + ".log"), appendToRegularFile};
}

}  // namespace velmora
