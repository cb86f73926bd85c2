#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "linux/RegDocument.h"

namespace velmora::test {
namespace {

constexpr const char* kUserRoot = "HKEY_CURRENT_USER";

std::vector<std::tuple<std::string, std::string, RegistryValue>> valuesOf(const RegDocument& doc) {
    std::vector<std::tuple<std::string, std::string, RegistryValue>> values;
    doc.forEachValue(
        [&](const std::string& keyPath, const std::string& name, const RegistryValue& value) {
            values.emplace_back(keyPath, name, value);
        });
    return values;
}

TEST(RegDocument, CommentEndingInCarriageReturnsIsWrittenTheSameEveryTime) {
    // Found by fuzzing: a comment line ending in CR CR LF kept one CR, which the next
    // reading took for part of the line end, so each rewrite changed the file.
    const auto read = RegDocument::parse(
        "Windows Registry Editor Version 5.00\n"
        "; before \r\r\n"
        "[HKEY_CURRENT_USER\\Key]\n"
        ";inside\r \r\r\n"
        "\"a\"=\"1\"\r\n",
        kUserRoot);
    ASSERT_TRUE(read.has_value());
    const std::string written = read->serialize();
    EXPECT_EQ(written,
              "Windows Registry Editor Version 5.00\n"
              "; before\n"
              "\n"
              "[HKEY_CURRENT_USER\\Key]\n"
              ";inside\n"
              "\"a\"=\"1\"\n");
    const auto again = RegDocument::parse(written, kUserRoot);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->serialize(), written);
}

TEST(RegDocument, AHexListCutOffAtTheEndSwallowsNothingWrittenAfterIt) {
    // Found by fuzzing: the kept line ends in a backslash, so the next reading took the
    // value stored after it for its continuation.
    auto doc = RegDocument::parse(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"h\"=hex:0g,\\", kUserRoot);
    ASSERT_TRUE(doc.has_value());
    doc->setValue("A", "x", {kRegSz, std::string("1\0", 2)});
    const auto again = RegDocument::parse(doc->serialize(), kUserRoot);
    ASSERT_TRUE(again.has_value());
    EXPECT_NE(again->findValue("A", "x"), nullptr) << doc->serialize();
    EXPECT_EQ(again->keptLines(), doc->keptLines());
}

TEST(RegDocument, ListsTheStringValuesInStoredOrderAndKeepsTheOtherLines) {
    auto doc = RegDocument::parse(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\A]\n"
        "\"x\"=\"1\"\n"
        "; note\n"
        "@=dword:0000000a\n"
        "[HKEY_CURRENT_USER\\A\\B]\n"
        "\"y\"=hex:01,\\\n"
        "  02\n"
        "@=\"\"\n",
        kUserRoot);
    ASSERT_TRUE(doc.has_value());
    using Row = std::tuple<std::string, std::string, RegistryValue>;
    EXPECT_EQ(valuesOf(*doc), (std::vector<Row>{
                                  {"A", "x", {kRegSz, std::string("1\0", 2)}},
                                  {"A\\B", "", {kRegSz, std::string("\0", 1)}},
                              }));
    EXPECT_EQ(doc->keptLines(),
              (std::vector<std::string>{"; note", "@=dword:0000000a", "\"y\"=hex:01,\\\n  02"}));
}

}  // namespace
}  // namespace velmora::test
