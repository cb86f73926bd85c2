#pragma once

#include <string>

#include "ports/PackageFile.h"

namespace velmora {

// What the system's code-signing check says of a package.
struct SignatureCheck {
    enum class Verdict {
        NotChecked,  // this system has no check for the package's kind of signature
        Unsigned,
        Valid,    // signed, unchanged since, by a certificate the system trusts
        Invalid,  // a signature that does not hold: changed bytes, a broken or distrusted chain
    };
    Verdict verdict = Verdict::NotChecked;
    // Valid: who signed, as publisherText() writes it.
    std::string publisher;
    // Invalid: why, in the system's words.
    std::string reason;
};

// The publisher of a signature in one text: the signer certificate's subject and its
// issuer, each a distinguished name written with ", " between its parts. A ";" within a
// name is always quoted there, so the text splits back into the two names one way only.
inline std::string publisherText(const std::string& subject, const std::string& issuer) {
    return subject + "; " + issuer;
}

// Checks the signature of a saved package through its held file.
class SignatureVerifier {
  public:
    virtual ~SignatureVerifier() = default;
    virtual SignatureCheck check(const SavedPackage& package) = 0;
};

}  // namespace velmora
