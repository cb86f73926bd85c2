#include "UpdateNow.h"

#include <iostream>

#include "engine/DefinitionName.h"
#include "engine/InstalledDefinitions.h"
#include "engine/LatestPackage.h"
#include "engine/Md5.h"
#include "engine/UpdateRun.h"
#include "engine/VendorUrls.h"
#include "log/EventLog.h"
#include "platform/SpecialFolder.h"
#include "platform/digest/OpenSslDigestLibrary.h"
#include "platform/net/CurlFetcher.h"
#include "platform/posix/ExecutableInfo.h"
#include "platform/posix/InstanceLock.h"
#include "platform/posix/PollEventLoopWait.h"
#include "platform/posix/PosixPackageFile.h"
#include "platform/posix/PosixProcessControl.h"
#include "platform/posix/PosixRegistryBackend.h"
#include "platform/posix/StdoutNotifier.h"
#include "platform/posix/XdgDirectories.h"
#include "settings/MainWindow.h"
#include "settings/Reg.h"
#include "settings/SettingsStore.h"
#include "shell/UpdateScheduler.h"

namespace velmora {

namespace {

bool endedWell(UpdateOutcome outcome) {
    return outcome == UpdateOutcome::Updated || outcome == UpdateOutcome::UpToDate;
}

std::string installedDefinitions() {
    return GetInstalledDefinitions(GetSpecialFolder(kCsidlProgramFilesCommon));
}

}  // namespace

int runUpdateNow() {
    const InstanceLock instance(xdgRuntimeDir());
    if (instance.outcome() == InstanceLock::Outcome::HeldElsewhere) {
        std::cerr << "velmora: another Velmora is running; nothing was done\n";
        return 3;
    }

    const ExecutableInfo executable = currentExecutable();
    StdoutNotifier notifier;
    EventLog log({logFileBeside(executable.path, executable.exeName),
                  xdgStateHome() / "velmora" / (executable.exeName + ".log")},
                 notifier);
    PosixRegistryBackend registry(xdgConfigHome());
    Reg reg(registry, log);
    SettingsStore store(reg, MainWindowControls::kIntervalMinimum);
    MainWindow window(store, reg, executable.path, executable.exeName);

    CurlFetcher fetcher;
    OpenSslDigestLibrary digests;
    PosixPackageFile packageFile;
    PollEventLoopWait events;
    PosixProcessControl processes(events, log);
    LatestPackageFinder finder(window.lblLatstVDFileName, window.optIUP, store, fetcher, log);
    UpdateRun run(window, store, fetcher, packageFile, processes, log,
                  {[&](const Flag16& showBox, const Flag16& writeToLog) {
                       return finder.FindLatestPackage(showBox, writeToLog);
                   },
                   [&](const ByteBuffer& bytes, std::size_t count) {
                       return MD5Bytes(bytes, count, digests, log);
                   },
                   installedDefinitions});
    UpdateScheduler scheduler(window, store, run, packageBaseUrl());

    // What the start-up gives the run: the installed version and the stored settings. The
    // hash list is fetched by the run itself.
    window.lblVDFileName.setTag(installedDefinitions());
    window.lblVDFileName.setCaption(FormatDefinitionName(window.lblVDFileName.tag()));
    window.LoadSettings();

    scheduler.cmdUpdateVD_Click();
    return endedWell(run.lastOutcome()) ? 0 : 1;
}

}  // namespace velmora
