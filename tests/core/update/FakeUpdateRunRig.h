#pragma once

#include <filesystem>
#include <string>

#include "core/update/RigHelpers.h"
#include "settings/KeptPublisher.h"
#include "support/fakes/FakeDigestLibrary.h"
#include "support/fakes/FakeHttpFetcher.h"
#include "support/fakes/FakePackageFile.h"
#include "support/fakes/FakeProcessControl.h"
#include "support/fakes/FakeSettings.h"
#include "support/fakes/FakeSignatureVerifier.h"
#include "support/fakes/FakeSpecialFolders.h"
#include "support/fakes/InlineWork.h"
#include "update/InstalledDefinitions.h"
#include "update/SettingsForRun.h"
#include "update/UpdateService.h"
#include "update/VendorUrls.h"

namespace velmora::test {

// Every part of a run on fakes of its ports: the vendor host is a table of answers, the
// package file lives in memory, and a started package does what its bytes say (see
// installingPackage). Installed definitions are real folders in a temporary folder, as the
// confirmation reads them.
class FakeUpdateRunRig : public FakeSettings {
  public:
    FakeUpdateRunRig() {
        std::filesystem::create_directories(definitions());
        processes.effect = [this](const FakeProcessControl::Start& start) { play(start); };
    }

    std::filesystem::path definitions() const {
        return dir / "common" / "Corvane Shared" / "Definitions";
    }
    std::filesystem::path logFile() const { return dir / "velmora.log"; }
    std::string installed() const { return findInstalledDefinitions(folders); }

    // A package that, started with /q, installs the definitions folder `folder`; any other
    // bytes install nothing.
    static std::string installingPackage(const std::string& folder) { return "install " + folder; }

    std::string digestOf(const std::string& body) { return test::md5Of(body, digests, log); }

    static std::string packageUrl(const std::string& fileName) {
        return packageBaseUrl() + fileName;
    }

    // Serves the package and a hash list naming it with `listedDigest`.
    void publish(const std::string& fileName, const std::string& body,
                 const std::string& listedDigest) {
        fetcher.responses[hashListUrl()] = FakeResponse::ok(listedDigest + " " + fileName + "\r\n");
        fetcher.responses[packageUrl(fileName)] = FakeResponse::ok(body);
    }
    void publish(const std::string& fileName, const std::string& body) {
        publish(fileName, body, test::listedForm(digestOf(body)));
    }

    // A run as the update-now button makes it: the stored flavour, the definitions installed
    // now, what the policies say, message boxes and the log.
    RunRequest buttonRequest() {
        return {.flavour = settings.load().settings.flavour,
                .keepPackages = keepPackages,
                .installedVersion = installed(),
                .source = updateSourceFor(policies),
                .cachePackages = policies.cachePackages,
                .requiredPublisher = policies.packagePublisher,
                .showBox = true,
                .writeToLog = true};
    }
    RunResult runByButton() { return service.run(buttonRequest()); }

    bool keepPackages = false;
    FakeHttpFetcher fetcher;
    FakeDigestLibrary digests;
    FakePackageFile packageFile;
    FakeProcessControl processes;
    FakeSignatureVerifier signatures;
    FakeSpecialFolders folders{dir / "common"};
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

  private:
    void play(const FakeProcessControl::Start& start) {
        const std::string prefix = "install ";
        const std::string& contents = packageFile.files[start.fileName];
        if (start.argument == "/q" && contents.starts_with(prefix)) {
            std::filesystem::create_directories(definitions() / contents.substr(prefix.size()));
        }
    }
};

}  // namespace velmora::test
