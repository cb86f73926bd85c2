#include <gtest/gtest.h>

#include "Version.h"
#include "shell/AboutBox.h"

namespace velmora {
namespace {

TEST(AboutBoxTest, LoadFillsCaptionTitleAndVersionFromTheBuild) {
    AboutBox box;
    EXPECT_EQ(box.caption(), "");
    box.Form_Load();
    EXPECT_EQ(box.caption(), "Velmoraについて");
    EXPECT_EQ(box.lblTitle(), "Velmora");
    EXPECT_EQ(box.lblVersion(), "Version 0.9.48");
    EXPECT_EQ(box.lblVersion(), versionLine(version::kMajor, version::kMinor, version::kRevision));
    EXPECT_NE(box.lblCopyRight().find("Tessaloy"), std::string::npos);
    EXPECT_FALSE(box.lblDescription().empty());
}

TEST(AboutBoxTest, VersionLineWritesNumbersWithoutLeadingZeros) {
    EXPECT_EQ(versionLine(0, 9, 48), "Version 0.9.48");
    EXPECT_EQ(versionLine(1, 10, 0), "Version 1.10.0");
    EXPECT_EQ(versionLine(12, 0, 7), "Version 12.0.7");
}

}  // namespace
}  // namespace velmora
