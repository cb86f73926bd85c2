#pragma once

#include <filesystem>

#include "ports/Platform.h"
#include "win/CngDigestLibrary.h"
#include "win/ConsoleNotifier.h"
#include "win/RunKeyAutostart.h"
#include "win/WinExecutable.h"
#include "win/WinPackageFile.h"
#include "win/WinRegistryBackend.h"
#include "win/WinSecurity.h"
#include "win/WinSpecialFolders.h"
#include "win/WinTrustVerifier.h"

namespace velmora {

// Where downloaded packages are saved, each run in a folder of its own, and kept ones stay:
// a folder of the user's own, since the working directory of a program started from the Run
// key or from a shortcut into Program Files is one an ordinary user cannot write to.
std::filesystem::path packageFolder();

// Windows: the registry and its Run keys, WinINet, CNG, Win32 files and processes, a
// session-wide mutex and the console.
class WinPlatform final : public Platform {
  public:
    std::unique_ptr<SingleInstance> claimSingleInstance() override;
    std::unique_ptr<EndRequests> watchEndRequests() override;

    const ExecutableInfo& executable() const override { return executable_; }
    LogDestinations logDestinations() const override;
    LocalClock localClock() const override;
    RegistryBackend& registry() override { return registry_; }
    RegistryBackend& policyStore() override { return policies_; }
    Autostart& autostart() override { return autostart_; }
    const SpecialFolders& specialFolders() const override { return folders_; }
    DigestLibrary& digests() override { return digests_; }
    PackageFile& packageFile() override { return packageFile_; }
    SignatureVerifier& signatures() override { return signatures_; }
    DoneSignalMaker doneSignals() const override;

    Notifier& commandLineNotifier() override { return notifier_; }
    std::unique_ptr<EventLoopWait> commandLineWait(const EndRequests& endRequests) override;

    std::unique_ptr<HttpFetcher> makeFetcher(EventLoopWait& events,
                                             ProgressDisplay progress) override;
    std::unique_ptr<ProcessControl> makeProcessControl(EventLoopWait& events,
                                                       EventLog& log) override;

  private:
    ExecutableInfo executable_ = currentExecutable();
    WinRegistryBackend registry_;
    // Ordinary users may read the policies' key but not open it to change anything.
    WinRegistryBackend policies_{HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, RegistryAccess::ReadOnly};
    RunKeyAutostart autostart_{registry_, writableByAdministratorsOnly};
    WinSpecialFolders folders_;
    CngDigestLibrary digests_;
    WinPackageFile packageFile_{packageFolder()};
    WinTrustVerifier signatures_;
    ConsoleNotifier notifier_;
};

}  // namespace velmora
