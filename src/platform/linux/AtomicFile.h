#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "linux/UniqueFd.h"

namespace velmora {

// Failures here are thrown as std::system_error carrying the errno of the failing call, so
// that callers can tell a refusal (EACCES, EPERM) from a fault (EIO, ENOSPC, EISDIR, ...).

// The whole content of a regular file, or nothing when there is no such file. Refuses
// (EFBIG) a file larger than `limit`, and (EISDIR or EINVAL) anything that is not a regular
// file; never blocks on a pipe.
std::optional<std::string> readRegularFile(const std::filesystem::path& file, std::size_t limit);

// Replaces `file` so that a reader, a crash or a power cut leaves either the old or the new
// content, never a mix: the bytes go to a temporary file in the same folder that is flushed
// to disk and then renamed over `file`, and the folder is flushed too. The new file gets
// `mode`. On failure the temporary file is removed and `file` is left as it was.
void replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t mode);

// An exclusive advisory lock (flock) on a lock file, created when missing and left in place,
// held for the life of the object. Waits up to `patience` for another holder to let go, then
// gives up with EWOULDBLOCK rather than hang behind a stuck process.
class FileLock {
  public:
    FileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds patience);

  private:
    UniqueFd fd_;
};

// Throws std::system_error for the errno of the failed call `what`.
[[noreturn]] void throwErrno(const std::string& what, const std::filesystem::path& file);

}  // namespace velmora
