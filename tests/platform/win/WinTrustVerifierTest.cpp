#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "support/TempDir.h"
#include "win/WinPackageFile.h"
#include "win/WinTrustVerifier.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// The packages tests/windows/make-signed-packages made beside this test program.
fs::path signedPackages() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / "signed-packages";
}

class WinTrustVerifierTest : public ::testing::Test {
  protected:
    // The package saved as a run saves it: checked through the handle it would run from.
    SignatureCheck checkSaved(const std::string& name) {
        const std::string bytes = test::readFile(signedPackages() / name);
        std::string error;
        const auto writer = files_.create(name, error);
        const std::span piece(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        if (!writer || !writer->append(piece, error)) {
            ADD_FAILURE() << error;
            return {};
        }
        const auto saved = writer->finish(error);
        if (!saved) {
            ADD_FAILURE() << error;
            return {};
        }
        return verifier_.check(*saved);
    }

    test::TempDir dir_;
    WinPackageFile files_{dir_ / "Velmora" / "Packages"};
    WinTrustVerifier verifier_;
};

TEST_F(WinTrustVerifierTest, TellsWhoSignedWhatIsUnsignedAndWhatNoLongerHolds) {
    if (!fs::exists(signedPackages() / "unsigned.exe")) {
        GTEST_SKIP() << "no signed packages beside the test (make-signed-packages did not run)";
    }
    const std::string first = "CN=Corvane Test Publisher, O=Corvane, C=JP";
    const SignatureCheck signedByFirst = checkSaved("Corvane-Test-Publisher.exe");
    EXPECT_EQ(signedByFirst.verdict, SignatureCheck::Verdict::Valid) << signedByFirst.reason;
    EXPECT_EQ(signedByFirst.publisher, first + "; " + first);

    const SignatureCheck signedByOther = checkSaved("Someone-Else.exe");
    EXPECT_EQ(signedByOther.verdict, SignatureCheck::Verdict::Valid) << signedByOther.reason;
    EXPECT_NE(signedByOther.publisher, signedByFirst.publisher);

    EXPECT_EQ(checkSaved("unsigned.exe").verdict, SignatureCheck::Verdict::Unsigned);

    const SignatureCheck tampered = checkSaved("tampered.exe");
    EXPECT_EQ(tampered.verdict, SignatureCheck::Verdict::Invalid);
    EXPECT_FALSE(tampered.reason.empty());
    EXPECT_TRUE(tampered.publisher.empty());
}

}  // namespace
}  // namespace velmora
