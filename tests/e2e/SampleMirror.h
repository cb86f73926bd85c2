#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::test {

// The sample mirror of tools/ running as a child process on a free port of 127.0.0.1,
// answering as the vendor host; stopped when the object goes.
class SampleMirror {
  public:
    // `options` are passed on (--fault ..., --versions ..., --package-seconds ...).
    SampleMirror(const std::filesystem::path& folder, const std::vector<std::string>& options);
    ~SampleMirror();
    SampleMirror(const SampleMirror&) = delete;
    SampleMirror& operator=(const SampleMirror&) = delete;

    // The value for http_proxy.
    std::string proxyUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }
    // The request lines it logged: "GET <url> <status> <bytes> user-agent=<agent>".
    std::vector<std::string> requests() const;

  private:
    std::filesystem::path logFile_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace velmora::test
