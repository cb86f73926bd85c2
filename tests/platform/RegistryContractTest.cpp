#include <string>

#include "RegistryContract.h"

namespace velmora::test {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;
const std::string kPath = "Software\\Tessaloy\\Velmora";

std::string repeated(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST_P(RegistryContract, ReadFromMissingKeyIsEmpty) {
    EXPECT_EQ(reg.readValue(kUser, kPath, "IUP"), "");
    expectNothingReported();
}

TEST_P(RegistryContract, WrittenTextReadsBackExactly) {
    const std::string texts[] = {"1",     "",  " 24 ",       "ウィルス定義", "a\"b\\c",
                                 "[x]=y", "@", "semi;colon", "tab\there"};
    int index = 0;
    for (const auto& text : texts) {
        const std::string name = "V" + std::to_string(index++);
        EXPECT_TRUE(reg.writeValue(kUser, kPath, name, text)) << text;
    }
    index = 0;
    for (const auto& text : texts) {
        EXPECT_EQ(reg.readValue(kUser, kPath, "V" + std::to_string(index++)), text);
    }
    expectNothingReported();
}

TEST_P(RegistryContract, EachKeyAlongAPathHoldsItsOwnValues) {
    EXPECT_TRUE(reg.writeValue(kUser, "A\\B\\C", "x", "1"));
    EXPECT_TRUE(reg.writeValue(kUser, "A", "x", "2"));
    EXPECT_EQ(reg.readValue(kUser, "A\\B\\C", "x"), "1");
    EXPECT_EQ(reg.readValue(kUser, "A", "x"), "2");
    EXPECT_EQ(reg.readValue(kUser, "A\\B", "x"), "");
    EXPECT_EQ(reg.readValue(kUser, "A\\Bx\\C", "x"), "");
}

TEST_P(RegistryContract, WriteReplacesTheValueOfThatName) {
    EXPECT_TRUE(reg.writeValue(kUser, kPath, "Interval", "24"));
    EXPECT_TRUE(reg.writeValue(kUser, kPath, "Interval", "3"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Interval"), "3");
}

TEST_P(RegistryContract, DeleteOfStoredValueReturnsTrueAndRemovesOnlyIt) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Run", "1"));
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Log", "1"));
    EXPECT_TRUE(reg.deleteValue(kUser, kPath, "Run"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Run"), "");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Log"), "1");
    EXPECT_FALSE(reg.deleteValue(kUser, kPath, "Run"));
    expectNothingReported();
}

TEST_P(RegistryContract, DeleteOfMissingValueReturnsFalse) {
    EXPECT_FALSE(reg.deleteValue(kUser, "New\\Path", "Nothing"));
    EXPECT_EQ(reg.readValue(kUser, "New\\Path", "Nothing"), "");
    expectNothingReported();
}

TEST_P(RegistryContract, KeyPathsAndValueNamesIgnoreAsciiCase) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Interval", "24"));
    EXPECT_EQ(reg.readValue(kUser, "SOFTWARE\\tessaloy\\VELMORA", "interval"), "24");
    EXPECT_TRUE(reg.writeValue(kUser, "software\\TESSALOY\\velmora", "INTERVAL", "5"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Interval"), "5");
    EXPECT_TRUE(reg.deleteValue(kUser, kPath, "iNtErVaL"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Interval"), "");
    if (!GetParam().foldsOnlyAsciiCase) {
        GTEST_SKIP() << "this store folds the case of every letter";
    }
    // Only ASCII letters fold: these are different names.
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "É", "upper"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "é"), "");
}

TEST_P(RegistryContract, ReadLimitIs255BytesOfTextPlusItsNul) {
    const std::string fits(255, 'a');
    const std::string tooLong(256, 'a');
    // Three UTF-8 bytes per character: 85 fill 255 bytes, 86 need 258.
    const std::string japaneseFits = repeated("定", 85);
    const std::string japaneseTooLong = repeated("定", 86);
    for (const auto& text : {fits, tooLong, japaneseFits, japaneseTooLong}) {
        ASSERT_TRUE(reg.writeValue(kUser, kPath, "Text", text));
        EXPECT_EQ(reg.readValue(kUser, kPath, "Text"), text.size() <= 255 ? text : "")
            << text.size() << " bytes";
        // Writing has no such limit: the value is stored whole.
        RegistryValue stored;
        ASSERT_EQ(backend->queryValue(kUser, kPath, "Text", stored), RegStatus::Success);
        EXPECT_EQ(stored, (RegistryValue{kRegSz, text + '\0'}));
    }
}

TEST_P(RegistryContract, EmbeddedNulCutsTheText) {
    if (GetParam().holdsOnlyText) {
        GTEST_SKIP() << "this store holds only lines of text";
    }
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Cut", std::string("ab\0cd", 5)));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Cut"), "ab");
    ASSERT_EQ(backend->setValue(kUser, kPath, "Raw",
                                {kRegSz, std::string("x\0", 2) + std::string(300, 'y')}),
              RegStatus::Success);
    // The whole data must still fit the buffer, even behind the first NUL.
    EXPECT_EQ(reg.readValue(kUser, kPath, "Raw"), "");
}

TEST_P(RegistryContract, ValuesOfOtherTypesReadAsEmpty) {
    if (GetParam().holdsOnlyText) {
        GTEST_SKIP() << "this store holds only lines of text";
    }
    ASSERT_EQ(backend->setValue(kUser, kPath, "Log", {kRegDword, std::string("\1\0\0\0", 4)}),
              RegStatus::Success);
    ASSERT_EQ(backend->setValue(kUser, kPath, "Bytes", {kRegBinary, std::string("1\0", 2)}),
              RegStatus::Success);
    ASSERT_EQ(backend->setValue(kUser, kPath, "Expand", {2, std::string("%PATH%\0", 7)}),
              RegStatus::Success);
    EXPECT_EQ(reg.readValue(kUser, kPath, "Log"), "");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Bytes"), "");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Expand"), "");
    RegistryValue stored;
    ASSERT_EQ(backend->queryValue(kUser, kPath, "Log", stored), RegStatus::Success);
    EXPECT_EQ(stored, (RegistryValue{kRegDword, std::string("\1\0\0\0", 4)}));
    expectNothingReported();
}

TEST_P(RegistryContract, StringStoredWithoutNulReadsAsIfItHadOne) {
    if (GetParam().holdsOnlyText) {
        GTEST_SKIP() << "this store holds only lines of text";
    }
    ASSERT_EQ(backend->setValue(kUser, kPath, "Short", {kRegSz, "abc"}), RegStatus::Success);
    ASSERT_EQ(backend->setValue(kUser, kPath, "Fits", {kRegSz, std::string(255, 'f')}),
              RegStatus::Success);
    ASSERT_EQ(backend->setValue(kUser, kPath, "Full", {kRegSz, std::string(256, 'g')}),
              RegStatus::Success);
    EXPECT_EQ(reg.readValue(kUser, kPath, "Short"), "abc");
    EXPECT_EQ(reg.readValue(kUser, kPath, "Fits"), std::string(255, 'f'));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Full"), "");
}

TEST_P(RegistryContract, AStoreOfTextRefusesWhatIsNotOneLineOfText) {
    if (!GetParam().holdsOnlyText) {
        GTEST_SKIP() << "this store holds values of every type";
    }
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Log", "1"));
    for (const RegistryValue& value :
         {RegistryValue{kRegDword, std::string("\1\0\0\0", 4)}, RegistryValue{kRegSz, "abc"},
          RegistryValue{kRegSz, std::string("a\0b\0", 4)}, RegistryValue{kRegSz, "a\nb"},
          RegistryValue{kRegSz, std::string("\xff\0", 2)}}) {
        EXPECT_EQ(backend->setValue(kUser, kPath, "Log", value), RegStatus::InvalidParameter);
    }
    EXPECT_EQ(reg.readValue(kUser, kPath, "Log"), "1");
    expectNothingReported();
}

TEST_P(RegistryContract, UnnamedValueIsAValueLikeAnyOther) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "", "default"));
    EXPECT_EQ(reg.readValue(kUser, kPath, ""), "default");
    EXPECT_EQ(reg.readValue(kUser, kPath, "@"), "");
    EXPECT_TRUE(reg.deleteValue(kUser, kPath, ""));
}

TEST_P(RegistryContract, RootsKeepSeparateTrees) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "Where", "user"));
    ASSERT_TRUE(reg.writeValue(kMachine, kPath, "Where", "machine"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Where"), "user");
    EXPECT_EQ(reg.readValue(kMachine, kPath, "Where"), "machine");
    EXPECT_TRUE(reg.deleteValue(kMachine, kPath, "Where"));
    EXPECT_EQ(reg.readValue(kUser, kPath, "Where"), "user");
}

TEST_P(RegistryContract, ValuesSurviveAFreshBackendOnTheSameStore) {
    ASSERT_TRUE(reg.writeValue(kUser, kPath, "IUP", "1"));
    const auto again = GetParam().make(dir / "store");
    EXPECT_EQ(Reg(*again, log).readValue(kUser, kPath, "IUP"), "1");
}

}  // namespace
}  // namespace velmora::test
