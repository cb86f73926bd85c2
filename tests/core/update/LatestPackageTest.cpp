#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Version.h"
#include "support/fakes/FakeHttpFetcher.h"
#include "support/fakes/FakeSettings.h"
#include "update/LatestPackage.h"
#include "update/VendorUrls.h"
#include "window/SettingsWindow.h"

namespace velmora {
namespace {

const std::string kDigestA = "0123456789abcdef0123456789ABCDEF";
const std::string kDigestB = "FEDCBA9876543210FEDCBA9876543210";
const std::string kDigestC = "00112233445566778899aabbccddeeff";

// The vendor host answered by a fake fetcher. How a real fetch goes through a proxy and
// treats an HTTP error status is CurlFetcherTest's part.
class LatestPackageTest : public ::testing::Test {
  protected:
    // The digest of the stored flavour's newest package, which is shown in the window as
    // the program shows it.
    std::string find(bool showBox = false, bool writeToLog = true) {
        const std::optional<PublishedPackage> found = finder.lookUp(
            temp.settings.load().settings.flavour, hashListUrl(), showBox, writeToLog);
        if (!found) {
            return "";
        }
        window.showLatestPackage(found->name);
        return found->digest;
    }
    void serveList(const std::string& list) {
        fetcher.responses[hashListUrl()] = test::FakeResponse::ok(list);
    }
    void storeFlavour(const std::string& index) { temp.store("IUP", index); }
    std::string logText() { return temp.logText(); }
    Label& label() { return window.latestPackageLabel; }

    test::FakeSettings temp;
    test::RecordingNotifier& notifier = temp.notifier;
    SettingsWindow window{temp.settings};
    test::FakeHttpFetcher fetcher;
    LatestPackageFinder finder{fetcher, temp.log};
};

TEST_F(LatestPackageTest, TheHashListComesFromTheVendorHost) {
    EXPECT_EQ(hashListUrl(),
              std::string("http://") + version::kVendorHost + "/defs/download/md5-hash.txt");
}

TEST_F(LatestPackageTest, TheLastEntryOfTheStoredFlavourWinsWhateverItsDate) {
    storeFlavour("1");
    serveList(kDigestA + " 20041114-017-x86.exe\r\n" +  //
              kDigestB + " 20041101-002-x86.exe\r\n" +  //
              kDigestC + " 20041120-001-i32.exe\r\n" +  //
              kDigestC + " 20041121-001-X86.EXE\r\n");

    EXPECT_EQ(find(), kDigestB);
    EXPECT_EQ(label().tag(), "20041101-002");
    EXPECT_EQ(label().caption(), "2004/11/1 rev. 2");
    ASSERT_EQ(fetcher.requests.size(), 1u);
    EXPECT_EQ(fetcher.requests[0].url, hashListUrl());
    EXPECT_FALSE(std::filesystem::exists(temp.dir / "velmora.log"));

    storeFlavour("0");
    EXPECT_EQ(find(), kDigestC);
    EXPECT_EQ(label().tag(), "20041120-001");
}

TEST_F(LatestPackageTest, AStoredFlavourOutsideTheOptionsMeansI32) {
    storeFlavour("7");
    serveList(kDigestA + " 20050103-002-i32.exe\n" + kDigestB + " 20050104-001-x86.exe\n");
    EXPECT_EQ(find(), kDigestA);
    EXPECT_EQ(label().caption(), "2005/1/3 rev. 2");
}

TEST_F(LatestPackageTest, AnEntryNeedsTheWholeDigestBeforeItsName) {
    serveList(kDigestA + " 20041114-017-i32.exe");  // suffix at character 46
    EXPECT_EQ(find(), kDigestA);

    const std::string tooShort = kDigestA.substr(1) + " 20041115-001-i32.exe";  // at 45
    serveList(tooShort);
    EXPECT_EQ(find(), "");
    EXPECT_EQ(label().tag(), "20041114-017") << "a failure leaves the earlier answer";
    EXPECT_NE(
        logText().find(hashListUrl() + " のダウンロードに失敗しました(2). -- " + tooShort + " --"),
        std::string::npos);
}

TEST_F(LatestPackageTest, TheSuffixCountsInsideALongerName) {
    serveList(kDigestA + " 20041114-017-i32.exe\n" + kDigestB + " 20041116-003-i32.exe.old\n");
    EXPECT_EQ(find(), kDigestB);
    EXPECT_EQ(label().tag(), "20041116-003");
}

TEST_F(LatestPackageTest, AnEmptyListCannotBeDownloaded) {
    serveList("");
    EXPECT_EQ(find(true, true), "");
    const std::string report = hashListUrl() + " をダウンロードできません.";
    EXPECT_NE(logText().find(report), std::string::npos);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0], report);
    EXPECT_EQ(label().caption(), "----/--/-- rev. ---");
    EXPECT_EQ(label().tag(), "");
}

TEST_F(LatestPackageTest, AnErrorPageIsReportedWithItsText) {
    serveList("<html>Not Found</html>");
    EXPECT_EQ(find(), "");
    EXPECT_NE(logText().find(" のダウンロードに失敗しました(2). -- <html>Not Found</html> --\r\n"),
              std::string::npos);
    EXPECT_EQ(label().tag(), "");
}

TEST_F(LatestPackageTest, AHugeOrHostileAnswerIsQuotedInPartAndMadePrintable) {
    const std::string page(std::size_t{200} << 10, 'x');
    serveList("\x1b]0;owned\x07" + page);
    EXPECT_EQ(find(true, true), "");
    ASSERT_EQ(notifier.notices.size(), 1u);
    const std::string& notice = notifier.notices[0];
    EXPECT_TRUE(notice.starts_with(hashListUrl() +
                                   " のダウンロードに失敗しました(2). -- \\x1b]0;owned\\x07xxx"))
        << notice.substr(0, 200);
    EXPECT_TRUE(notice.ends_with("x...(以下 139274 バイト省略) --"))
        << notice.substr(notice.size() - 100);
    EXPECT_LT(notice.size(), std::size_t{70} << 10);
    EXPECT_LT(logText().size(), std::size_t{70} << 10);
}

TEST_F(LatestPackageTest, AnUnreachableServerIsLoggedWhateverTheLogSettingAndNeverShown) {
    temp.store("Log", "0");
    EXPECT_EQ(find(false, true), "");
    EXPECT_NE(logText().find(hashListUrl() + " をダウンロードできません.\r\n"), std::string::npos);
    EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(LatestPackageTest, ANameThatIsNotDateAndRevisionNeverLeavesTheList) {
    serveList(kDigestA + " 20041114-017-i32.exe\n");
    ASSERT_EQ(find(), kDigestA);

    for (const std::string name : {"../../../etc", "/tmp/x/evil", "2004111a-017", "20041114_017",
                                   "20041114-01 ", "20041114-0.7", "  041114-017"}) {
        std::string list = kDigestB;
        list.append(" 20041115-001-i32.exe\n").append(kDigestC).append(" ").append(name);
        list.append("-i32.exe\n");
        serveList(list);
        EXPECT_EQ(find(true, true), "") << name;
        EXPECT_EQ(label().tag(), "20041114-017") << name;
        EXPECT_EQ(label().caption(), "2004/11/14 rev. 17") << name;
        ASSERT_FALSE(notifier.notices.empty());
        EXPECT_EQ(notifier.notices.back(),
                  hashListUrl() + " のダウンロードに失敗しました(2). -- " + list + " --")
            << name;
    }
    // Every one of the eleven digits is checked, the revision's first as much as the others.
    for (const std::size_t position : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11}) {
        std::string name = "20041115-001";
        name[position] = 'x';
        serveList(std::string(kDigestB).append(" ").append(name).append("-i32.exe\n"));
        EXPECT_EQ(find(), "") << name;
        EXPECT_EQ(label().tag(), "20041114-017") << name;
    }
}

}  // namespace
}  // namespace velmora
