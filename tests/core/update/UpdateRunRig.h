#pragma once

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "core/update/RigHelpers.h"
#include "curl/CurlFetcher.h"
#include "linux/LinuxSpecialFolders.h"
#include "linux/PollEventLoopWait.h"
#include "linux/PosixPackageFile.h"
#include "linux/PosixProcessControl.h"
#include "linux/UncheckedSignatures.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "settings/KeptPublisher.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnv.h"
#include "support/ScopedWorkingDirectory.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "support/fakes/InlineWork.h"
#include "update/DefinitionName.h"
#include "update/InstalledDefinitions.h"
#include "update/Md5.h"
#include "update/UpdateService.h"
#include "update/VendorUrls.h"

namespace velmora::test {

// The real wait, with a hook that runs while the package runs, as a window event or a
// timer tick would inside the nested event loop. The hook may also end the wait as an
// application exit does.
class HookedEventLoopWait final : public EventLoopWait {
  public:
    WaitOutcome waitFor(WaitHandle handle) override {
        if (duringWait && duringWait(static_cast<int>(handle.native())) == WaitOutcome::Quit) {
            return WaitOutcome::Quit;
        }
        return poll_.waitFor(handle);
    }

    // Gets the pidfd of the package.
    std::function<WaitOutcome(int pidfd)> duringWait;

  private:
    PollEventLoopWait poll_;
};

// The process id behind a pidfd.
inline pid_t pidOfPidfd(int pidfd) {
    std::ifstream info("/proc/self/fdinfo/" + std::to_string(pidfd));
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("Pid:", 0) == 0) {
            return static_cast<pid_t>(std::stol(line.substr(4)));
        }
    }
    return -1;
}

// Every part of a run as the program puts it together, on temporary folders, the settings
// of TempSettings and a loopback server that answers as the vendor host (through
// http_proxy).
class UpdateRunRig : public TempSettings {
  public:
    static constexpr const char* kListPath = "/defs/download/md5-hash.txt";
    static constexpr const char* kPackagesPath = "/defs/download/packages/";

    UpdateRunRig() {
        std::filesystem::create_directories(definitions());
        std::filesystem::create_directories(downloads());
    }

    std::filesystem::path definitions() const {
        return dir / "common" / "Corvane Shared" / "Definitions";
    }
    std::filesystem::path downloads() const { return dir / "downloads"; }
    std::filesystem::path logFile() const { return dir / "velmora.log"; }

    std::string installed() const { return findInstalledDefinitions(folders); }

    // A package that, started with /q, installs the definitions folder `folder`.
    static std::string installingPackage(const std::string& folder) {
        return "#!/bin/sh\n[ \"$1\" = /q ] || exit 2\nmkdir -p "
               "\"$VELMORA_COMMON_FILES/Corvane Shared/Definitions/" +
               folder + "\"\n";
    }

    std::string digestOf(const std::string& body) {
        const ByteBuffer bytes(body.begin(), body.end());
        return md5OfBytes(bytes, bytes.size(), digests, log);
    }

    // Serves the package and a hash list naming it with `listedDigest`.
    void publish(const std::string& fileName, const std::string& body,
                 const std::string& listedDigest) {
        server.on(kListPath, HttpResponse::ok(listedDigest + " " + fileName + "\r\n"));
        server.on(kPackagesPath + fileName, HttpResponse::ok(body));
    }
    void publish(const std::string& fileName, const std::string& body) {
        publish(fileName, body, test::listedForm(digestOf(body)));
    }

    // A run as the update-now button makes it: the stored flavour, the definitions installed
    // now, message boxes and the log.
    RunRequest buttonRequest() {
        return {.flavour = settings.load().settings.flavour,
                .keepPackages = keepPackages,
                .installedVersion = installed(),
                .showBox = true,
                .writeToLog = true};
    }
    RunResult runByButton() { return service.run(buttonRequest()); }

    std::size_t requestsFor(const std::string& path) const {
        std::size_t count = 0;
        for (const RecordedRequest& request : server.requests()) {
            count += request.path() == path ? 1 : 0;
        }
        return count;
    }

    ScopedEnv commonFiles{"VELMORA_COMMON_FILES", (dir / "common").string()};
    LoopbackHttpServer server;
    ScopedEnv proxy{"http_proxy", "http://" + server.authority()};
    ScopedEnv noProxy{"no_proxy", std::nullopt};
    ScopedEnv noProxyUpper{"NO_PROXY", std::nullopt};
    ScopedWorkingDirectory cwd{
        (std::filesystem::create_directories(dir / "downloads"), dir / "downloads")};
    bool keepPackages = false;
    CurlFetcher fetcher{{std::chrono::milliseconds(3000), std::chrono::seconds(10)}};
    OpenSslDigestLibrary digests;
    PosixPackageFile packageFile;
    HookedEventLoopWait events;
    PosixProcessControl processes{events, log};
    UncheckedSignatures signatures;
    LinuxSpecialFolders folders{(dir / "common").string()};
    KeptPublisher publisher{reg};
    InlineWork background;
    UpdateService service{{.fetcher = fetcher,
                           .packageFile = packageFile,
                           .processes = processes,
                           .digests = digests,
                           .signatures = signatures,
                           .folders = folders,
                           .publisher = publisher,
                           .background = background,
                           .log = log}};
};

}  // namespace velmora::test
