#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/update/UpdateRunRig.h"
#include "linux/EventFdSignal.h"
#include "qt/QtEventLoopWait.h"
#include "support/QtTestApplication.h"
#include "update/EventLoopFetcher.h"

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
    UpdateRun run(rig.observer, rig.fetcher, rig.packageFile, processes, rig.log, rig.procedures());
    rig.publish("20041114-017-i32.exe", "#!/bin/sh\nexec sleep 5\n");
    rig.startUp();
    std::map<std::string, bool> statesAtExit;
    QTimer::singleShot(200, [&] {
        statesAtExit = rig.enabledStates();
        QCoreApplication::exit(0);
    });

    run.updateDefinitions(rig.window.updateRunInputs(), packageBaseUrl(), true, true);

    EXPECT_EQ(run.lastOutcome(), UpdateOutcome::Interrupted);
    EXPECT_FALSE(statesAtExit.empty());
    EXPECT_EQ(rig.enabledStates(), statesAtExit);
    EXPECT_FALSE(rig.window.updateNowButton.enabled());
    EXPECT_TRUE(rig.notifier.notices.empty());
    EXPECT_TRUE(fs::exists(rig.downloads() / "20041114-017-i32.exe"));
    const std::vector<pid_t> children = childProcesses();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(kill(children[0], 0), 0);
    kill(children[0], SIGKILL);
    waitpid(children[0], nullptr, 0);
}

// The program ends while the package trickles in: the transfer stops within a second, the
// run ends without a notice and leaves the window as it stood, and no part of the package
// is left. Meanwhile the event loop was served, and a tick found the run in progress.
TEST(UpdateRunExitTest, AnApplicationExitDuringTheDownloadStopsItWithinASecond) {
    test::QtTestApplication app;
    UpdateRunRig rig;
    QtEventLoopWait events;
    EventLoopFetcher fetcher(rig.fetcher, events, makeEventFdSignal);
    UpdateRun run(rig.observer, fetcher, rig.packageFile, rig.processes, rig.log, rig.procedures());
    const std::string body =
        UpdateRunRig::installingPackage("20041114.017") + std::string(100000, '#');
    rig.publish("20041114-017-i32.exe", body);
    rig.server.on(std::string(UpdateRunRig::kPackagesPath) + "20041114-017-i32.exe",
                  test::HttpResponse::ok(body).thenTrickle(10, 2, 500));
    rig.startUp();
    bool inProgressAtTick = false;
    QTimer::singleShot(300, [&] {
        inProgressAtTick = run.inProgress();
        run.updateDefinitions(rig.window.updateRunInputs(), packageBaseUrl(), true, true);
    });
    std::map<std::string, bool> statesAtExit;
    std::chrono::steady_clock::time_point exitAt;
    QTimer::singleShot(600, [&] {
        statesAtExit = rig.enabledStates();
        exitAt = std::chrono::steady_clock::now();
        QCoreApplication::exit(0);
    });

    run.updateDefinitions(rig.window.updateRunInputs(), packageBaseUrl(), true, true);

    EXPECT_LT(std::chrono::steady_clock::now() - exitAt, std::chrono::milliseconds(1200));
    EXPECT_EQ(run.lastOutcome(), UpdateOutcome::Interrupted);
    EXPECT_TRUE(run.quitRequested());
    EXPECT_TRUE(inProgressAtTick);
    EXPECT_EQ(rig.requestsFor(UpdateRunRig::kListPath), 1u);
    EXPECT_FALSE(statesAtExit.empty());
    EXPECT_EQ(rig.enabledStates(), statesAtExit);
    EXPECT_TRUE(rig.notifier.notices.empty());
    EXPECT_TRUE(fs::is_empty(rig.downloads()));
}

}  // namespace
}  // namespace velmora
