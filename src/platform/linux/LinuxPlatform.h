#pragma once

#include "curl/CurlFetcher.h"
#include "linux/DesktopAutostart.h"
#include "linux/LinuxExecutable.h"
#include "linux/LinuxSpecialFolders.h"
#include "linux/PolicyFile.h"
#include "linux/PosixPackageFile.h"
#include "linux/PosixRegistryBackend.h"
#include "linux/StdoutNotifier.h"
#include "linux/UncheckedSignatures.h"
#include "openssl/OpenSslDigestLibrary.h"
#include "ports/Platform.h"

namespace velmora {

// Linux: the .reg files and autostart entries under the XDG configuration folder, the
// policy file ($VELMORA_POLICY_FILE, else /etc/velmora/policy.reg), POSIX files, processes
// and signals, libcurl (trusting the certificates of $CURL_CA_BUNDLE where it names a
// file) and OpenSSL.
class LinuxPlatform final : public Platform {
  public:
    LinuxPlatform();

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
    PosixRegistryBackend registry_;
    PolicyFile policies_;
    DesktopAutostart autostart_;
    LinuxSpecialFolders folders_;
    OpenSslDigestLibrary digests_;
    PosixPackageFile packageFile_;
    UncheckedSignatures signatures_;
    StdoutNotifier notifier_;
};

}  // namespace velmora
