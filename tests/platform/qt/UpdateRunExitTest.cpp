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

// The parts of a run with the tray program's wait, which an application exit ends.
struct ServedRun {
    ServedRun(UpdateRunRig& rig, HttpFetcher& fetcher)
        : processes(events, rig.log),
          service({.fetcher = fetcher,
                   .packageFile = rig.packageFile,
                   .processes = processes,
                   .digests = rig.digests,
                   .signatures = rig.signatures,
                   .folders = rig.folders,
                   .publisher = rig.publisher,
                   .background = rig.background,
                   .log = rig.log}) {}

    QtEventLoopWait events;
    PosixProcessControl processes;
    UpdateService service;
};

// The program ends (the tray menu's exit ends every event loop) while the package runs:
// the run ends without a notice and leaves the package running, its file unlinked.
TEST(UpdateRunExitTest, AnApplicationExitDuringThePackageEndsTheRunWithoutANotice) {
    test::QtTestApplication app;
    UpdateRunRig rig;
    ServedRun served(rig, rig.fetcher);
    rig.publish("20041114-017-i32.exe", "#!/bin/sh\nexec sleep 5\n");
    QTimer::singleShot(200, [] { QCoreApplication::exit(0); });

    EXPECT_EQ(served.service.run(rig.buttonRequest()).outcome, UpdateOutcome::Interrupted);

    EXPECT_TRUE(rig.notifier.notices.empty());
    EXPECT_TRUE(fs::is_empty(rig.downloads()));
    const std::vector<pid_t> children = childProcesses();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(kill(children[0], 0), 0);
    kill(children[0], SIGKILL);
    waitpid(children[0], nullptr, 0);
}

// The program ends while the package trickles in: the transfer stops within a second, the
// run ends without a notice, and no part of the package is left. Meanwhile the event loop
// was served, and a tick found the run in progress.
TEST(UpdateRunExitTest, AnApplicationExitDuringTheDownloadStopsItWithinASecond) {
    test::QtTestApplication app;
    UpdateRunRig rig;
    QtEventLoopWait events;
    EventLoopFetcher fetcher(rig.fetcher, events, makeEventFdSignal);
    ServedRun served(rig, fetcher);
    const std::string body =
        UpdateRunRig::installingPackage("20041114.017") + std::string(100000, '#');
    rig.publish("20041114-017-i32.exe", body);
    rig.server.on(std::string(UpdateRunRig::kPackagesPath) + "20041114-017-i32.exe",
                  test::HttpResponse::ok(body).thenTrickle(10, 2, 500));
    RunResult nested;
    QTimer::singleShot(300, [&] { nested = served.service.run(rig.buttonRequest()); });
    std::chrono::steady_clock::time_point exitAt;
    QTimer::singleShot(600, [&] {
        exitAt = std::chrono::steady_clock::now();
        QCoreApplication::exit(0);
    });

    EXPECT_EQ(served.service.run(rig.buttonRequest()).outcome, UpdateOutcome::Interrupted);

    EXPECT_LT(std::chrono::steady_clock::now() - exitAt, std::chrono::milliseconds(1200));
    EXPECT_TRUE(served.service.quitRequested());
    EXPECT_EQ(nested.outcome, UpdateOutcome::NotRun);
    EXPECT_EQ(rig.requestsFor(UpdateRunRig::kListPath), 1u);
    EXPECT_TRUE(rig.notifier.notices.empty());
    EXPECT_TRUE(fs::is_empty(rig.downloads()));
}

}  // namespace
}  // namespace velmora
