#pragma once

#include <sys/types.h>

#include <string>

#include "support/TempDir.h"

namespace velmora::test {

// A company's caching proxy: Squid (Debian package squid) as a child process on a free port
// of 127.0.0.1 only, with its configuration, logs and memory cache of its own, sending every
// request on to the proxy at `parentPort` on 127.0.0.1 (the sample mirror, which answers as
// the vendor host) and never anywhere else. Stopped when the object goes.
class CachingProxy {
  public:
    explicit CachingProxy(int parentPort);
    ~CachingProxy();
    CachingProxy(const CachingProxy&) = delete;
    CachingProxy& operator=(const CachingProxy&) = delete;

    // The value for http_proxy.
    std::string proxyUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    TempDir folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace velmora::test
