#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "linux/PolicyFile.h"
#include "settings/PolicyReader.h"
#include "support/FixedClock.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
const std::string kPolicies =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Tessaloy\\Velmora]\n"
    "\"Interval\"=\"24\"\n"
    "\"UpdateUrl\"=\"http://mirror.example.local/velmora/\"\n";

// Policy files made as root, the owner the program trusts; a file in a folder of its own in
// the temporary folder, which root owns with the sticky bit set.
class PolicyFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "only root can make a file that root owns";
        }
        fs::create_directories(folder);
        ::chmod(folder.c_str(), 0755);
    }

    fs::path place(const std::string& text, mode_t mode) {
        writeFile(file, text);
        ::chmod(file.c_str(), mode);
        return file;
    }

    // The policies the program would read from `path`, and the log lines that cost.
    Policies read(const fs::path& path) {
        PolicyFile store(path);
        return readPolicies(store, log);
    }
    std::size_t logLines() const {
        const std::string text = fs::exists(logFile) ? readFile(logFile) : "";
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    TempDir dir;
    fs::path folder = dir / "etc" / "velmora";
    fs::path file = folder / "policy.reg";
    fs::path logFile = dir / "velmora.log";
    RecordingNotifier notifier;
    EventLog log{{logFile, {}}, notifier, test::fixedTime};
};

TEST_F(PolicyFileTest, AFileOnlyRootMayChangeIsReadAndNeverWritten) {
    place(kPolicies, 0644);
    PolicyFile store(file);
    RegistryValue value;
    ASSERT_EQ(store.queryValue(RootKey::LocalMachine, policyKeyPath(), "interval", value),
              RegStatus::Success);
    EXPECT_EQ(value, (RegistryValue{kRegSz, std::string("24\0", 3)}));
    EXPECT_EQ(store.queryValue(RootKey::CurrentUser, policyKeyPath(), "Interval", value),
              RegStatus::NotFound);
    EXPECT_EQ(store.setValue(RootKey::LocalMachine, policyKeyPath(), "Interval", value),
              RegStatus::AccessDenied);
    EXPECT_EQ(store.deleteValue(RootKey::LocalMachine, policyKeyPath(), "UpdateUrl"),
              RegStatus::AccessDenied);
    EXPECT_EQ(readFile(file), kPolicies);

    const Policies policies = read(file);
    EXPECT_TRUE(policies.manages(SettingKey::IntervalHours));
    EXPECT_EQ(policies.settings.intervalHours, 24);
    EXPECT_EQ(policies.updateUrl, "http://mirror.example.local/velmora/");
    EXPECT_EQ(logLines(), 0u);

    // A folder on the way that everyone may write is safe when its sticky bit keeps others
    // from replacing root's entries in it.
    ::chmod(folder.c_str(), 01777);
    EXPECT_TRUE(read(file).manages(SettingKey::IntervalHours));
    EXPECT_TRUE(read(dir / "missing.reg").managed.empty());
    EXPECT_EQ(logLines(), 0u) << "a missing file holds no policy and is no problem";
}

// A file that a user other than root could have written is ignored, with one line in the
// log that names it, and nothing of it applies.
TEST_F(PolicyFileTest, AFileAUserOtherThanRootCouldWriteIsIgnoredWithOneLine) {
    struct Case {
        const char* what;
        mode_t fileMode;
        uid_t owner;
        mode_t folderMode;
    };
    const std::vector<Case> cases{{"writable by everyone", 0666, 0, 0755},
                                  {"writable by its group", 0664, 0, 0755},
                                  {"owned by another user", 0644, kNobody, 0755},
                                  {"in a folder everyone may change", 0644, 0, 0777},
                                  {"in a folder another user owns", 0644, 0, 0755}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        place(kPolicies, c.fileMode);
        ASSERT_EQ(::chown(file.c_str(), c.owner, 0), 0);
        ::chmod(folder.c_str(), c.folderMode);
        const bool otherOwner = std::string(c.what) == "in a folder another user owns";
        ASSERT_EQ(::chown(folder.c_str(), otherOwner ? kNobody : 0, 0), 0);
        const std::size_t before = logLines();

        const Policies policies = read(file);

        EXPECT_TRUE(policies.managed.empty());
        EXPECT_EQ(policies.updateUrl, "");
        EXPECT_EQ(logLines(), before + 1);
        EXPECT_NE(readFile(logFile).find(file.string()), std::string::npos);
        ASSERT_EQ(::chown(folder.c_str(), 0, 0), 0);
    }
    // Nor is a link, whose target whoever may change its folder could choose.
    const fs::path trusted = place(kPolicies, 0644);
    const fs::path link = folder / "link.reg";
    fs::create_symlink(trusted, link);
    ::chmod(folder.c_str(), 0755);
    EXPECT_TRUE(read(link).managed.empty());
    EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace velmora::test
