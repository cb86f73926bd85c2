#pragma once

#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "core/update/RigHelpers.h"
#include "support/fakes/FakeDigestLibrary.h"
#include "support/fakes/FakeHttpFetcher.h"
#include "support/fakes/FakePackageFile.h"
#include "support/fakes/FakeProcessControl.h"
#include "support/fakes/FakeSettings.h"
#include "support/fakes/FakeSpecialFolders.h"
#include "update/InstalledDefinitions.h"
#include "update/LatestPackage.h"
#include "update/Md5.h"
#include "update/UpdateRun.h"
#include "update/VendorUrls.h"
#include "window/SettingsWindow.h"
#include "window/SettingsWindowRunObserver.h"

namespace velmora::test {

// Every part of a run on fakes of its ports: the vendor host is a table of answers, the
// package file lives in memory, and a started package does what its bytes say (see
// installingPackage). Installed definitions are real folders in a temporary folder, as the
// confirmation reads them. The window is set up as the start-up leaves it.
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
    std::string installed() const {
        return findInstalledDefinitions(test::FakeSpecialFolders(dir / "common"));
    }

    // A package that, started with /q, installs the definitions folder `folder`; any other
    // bytes install nothing.
    static std::string installingPackage(const std::string& folder) { return "install " + folder; }

    std::string digestOf(const std::string& body) {
        const ByteBuffer bytes(body.begin(), body.end());
        return md5OfBytes(bytes, bytes.size(), digests, log);
    }

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

    // What startUp leaves: the installed version shown and the stored settings loaded.
    void startUp() {
        window.showInstalledVersion(installed());
        window.loadSettings();
    }

    UpdateRunProcedures procedures() {
        return {[this](Flavour flavour, bool showBox, bool writeToLog) {
                    return finder.lookUp(flavour, showBox, writeToLog);
                },
                [this] { return std::make_unique<BackgroundMd5>(digests, log); },
                [this] { return installed(); }};
    }

    void runByButton() {
        run.updateDefinitions(window.updateRunInputs(), packageBaseUrl(), true, true);
    }

    std::map<std::string, bool> enabledStates() { return test::enabledStates(window); }

    SettingsWindow window{settings, reg, autostart, dir.path().string(), "velmora"};
    FakeHttpFetcher fetcher;
    FakeDigestLibrary digests;
    FakePackageFile packageFile;
    FakeProcessControl processes;
    LatestPackageFinder finder{fetcher, log};
    SettingsWindowRunObserver observer{window};
    UpdateRun run{observer, fetcher, packageFile, processes, log, procedures()};

  private:
    void play(const FakeProcessControl::Start& start) {
        const std::string prefix = "install ";
        if (start.argument == "/q" && start.contents.starts_with(prefix)) {
            std::filesystem::create_directories(definitions() /
                                                start.contents.substr(prefix.size()));
        }
    }
};

}  // namespace velmora::test
