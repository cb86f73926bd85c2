#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "engine/UpdateRunRig.h"
#include "platform/qt/QtEventLoopWait.h"
#include "support/QtTestApplication.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::UpdateRunRig;

// The children of this process, from /proc.
std::vector<pid_t> childProcesses() {
    std::vector<pid_t> children;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "children");
        for (pid_t pid = 0; in >> pid;) {
            children.push_back(pid);
        }
    }
    return children;
}

// The program ends (the tray menu's exit ends every event loop) while the package runs:
// the run ends without a notice, leaves the window as it stood and the package running.
TEST(UpdateRunExitTest, AnApplicationExitDuringThePackageEndsTheRunWithoutTouchingTheWindow) {
    test::QtTestApplication app;
    UpdateRunRig rig;
    QtEventLoopWait events;
    PosixProcessControl processes(events, rig.log);
    UpdateRun run(rig.window, rig.settings, rig.fetcher, rig.packageFile, processes, rig.log,
                  {[&](const Flag16& showBox, const Flag16& writeToLog) {
                       return rig.finder.FindLatestPackage(showBox, writeToLog);
                   },
                   [&] { return std::make_unique<BackgroundMd5>(rig.digests, rig.log); },
                   [&] { return rig.installed(); }});
    rig.publish("20041114-017-i32.exe", "#!/bin/sh\nexec sleep 5\n");
    rig.startUp();
    std::map<std::string, bool> statesAtExit;
    QTimer::singleShot(200, [&] {
        statesAtExit = rig.enabledStates();
        QCoreApplication::exit(0);
    });

    run.UpdateDefinitions(packageBaseUrl(), kTrue, kTrue);

    EXPECT_EQ(run.lastOutcome(), UpdateOutcome::Interrupted);
    EXPECT_FALSE(statesAtExit.empty());
    EXPECT_EQ(rig.enabledStates(), statesAtExit);
    EXPECT_FALSE(rig.window.cmdUpdateVD.enabled());
    EXPECT_TRUE(rig.notifier.notices.empty());
    EXPECT_TRUE(fs::exists(rig.downloads() / "20041114-017-i32.exe"));
    const std::vector<pid_t> children = childProcesses();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(kill(children[0], 0), 0);
    kill(children[0], SIGKILL);
    waitpid(children[0], nullptr, 0);
}

}  // namespace
}  // namespace velmora
