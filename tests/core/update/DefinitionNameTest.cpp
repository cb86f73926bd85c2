#include <gtest/gtest.h>

#include "update/DefinitionName.h"

namespace velmora {
namespace {

TEST(DefinitionNameTest, DropsLeadingZerosOfEachPiece) {
    EXPECT_EQ(formatDefinitionName("20041114-017"), "2004/11/14 rev. 17");
    EXPECT_EQ(formatDefinitionName("20050103.002"), "2005/1/3 rev. 2");
    EXPECT_EQ(formatDefinitionName("20041130.100"), "2004/11/30 rev. 100");
    EXPECT_EQ(formatDefinitionName("00010001-000"), "1/0/1 rev. 0");
}

TEST(DefinitionNameTest, FolderAndDashedFormsShowAlike) {
    EXPECT_EQ(formatDefinitionName("20041114.017"), formatDefinitionName("20041114-017"));
    EXPECT_EQ(formatDefinitionName("20041114_017"), "2004/11/14 rev. 17");
}

TEST(DefinitionNameTest, AnyOtherLengthGivesThePlaceholder) {
    for (const char* text : {"", "2004111", "20041114-0170", "20041114-01", "            x"}) {
        EXPECT_EQ(formatDefinitionName(text), "----/--/-- rev. ---") << text;
    }
}

TEST(DefinitionNameTest, PiecesThatAreNotDecimalAreShownAsTheyStand) {
    EXPECT_EQ(formatDefinitionName("2004111A.XYZ"), "2004/11/1A rev. XYZ");
    EXPECT_EQ(formatDefinitionName("+004-1 14.0 7"), "----/--/-- rev. ---");
    EXPECT_EQ(formatDefinitionName("+0041 14.0 7"), "+004/1 /14 rev. 0 7");
    EXPECT_EQ(formatDefinitionName("--------.---"), "----/--/-- rev. ---");
}

}  // namespace
}  // namespace velmora
