#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Policies.h"

namespace velmora {
namespace {

// The Group Policy template must name exactly the values the program reads, each once: a
// value the code reads without a template is one no administrator can set, and one the
// template names without the code is a setting that does nothing. (Its form is checked by
// tests/windows/policy/policy_templates_test.py.)
TEST(PolicyTemplatesTest, TheTemplateNamesExactlyTheValuesTheProgramReads) {
    std::ifstream file(std::string(VELMORA_SOURCE_DIR) + "/resources/windows/policy/velmora.admx");
    ASSERT_TRUE(file) << "the template is missing";
    std::stringstream text;
    text << file.rdbuf();
    const std::string admx = text.str();

    std::vector<std::string> named;
    const std::regex valueName("valueName=\"([^\"]*)\"");
    for (auto found = std::sregex_iterator(admx.begin(), admx.end(), valueName);
         found != std::sregex_iterator(); ++found) {
        named.push_back((*found)[1]);
    }
    const std::vector<std::string_view> names = policyValueNames();
    std::vector<std::string> read(names.begin(), names.end());
    std::sort(named.begin(), named.end());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(named, read);
}

}  // namespace
}  // namespace velmora
