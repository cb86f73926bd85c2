#pragma once

#include <string>
#include <vector>

#include "ports/SignatureVerifier.h"

namespace velmora::test {

// Answers every check with `answer`, and records which files were checked.
class FakeSignatureVerifier final : public SignatureVerifier {
  public:
    SignatureCheck check(const SavedPackage& package) override {
        checked.push_back(package.fileName());
        return answer;
    }

    static SignatureCheck signedBy(const std::string& publisher) {
        return {SignatureCheck::Verdict::Valid, publisher, ""};
    }
    static SignatureCheck unsignedPackage() { return {SignatureCheck::Verdict::Unsigned, "", ""}; }
    static SignatureCheck invalid(const std::string& reason) {
        return {SignatureCheck::Verdict::Invalid, "", reason};
    }

    SignatureCheck answer;  // not checked, unless a test says otherwise
    std::vector<std::string> checked;
};

}  // namespace velmora::test
