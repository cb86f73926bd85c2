#include <gtest/gtest.h>

#include "Version.h"
#include "shell/AboutBox.h"

namespace velmora {
namespace {

TEST(AboutBoxTest, LoadFillsCaptionTitleAndVersionFromTheBuild) {
    AboutBox box;
    EXPECT_EQ(box.caption(), "");
    box.startUp();
    EXPECT_EQ(box.caption(), "Velmoraについて");
    EXPECT_EQ(box.titleLabel(), "Velmora");
    EXPECT_EQ(box.versionLabel(), "Version 0.9.48");
    EXPECT_EQ(box.versionLabel(),
              versionLine(version::kMajor, version::kMinor, version::kRevision));
    EXPECT_NE(box.copyrightLabel().find("Tessaloy"), std::string::npos);
    EXPECT_FALSE(box.descriptionLabel().empty());
}

TEST(AboutBoxTest, VersionLineWritesNumbersWithoutLeadingZeros) {
    EXPECT_EQ(versionLine(0, 9, 48), "Version 0.9.48");
    EXPECT_EQ(versionLine(1, 10, 0), "Version 1.10.0");
    EXPECT_EQ(versionLine(12, 0, 7), "Version 12.0.7");
}

}  // namespace
}  // namespace velmora
