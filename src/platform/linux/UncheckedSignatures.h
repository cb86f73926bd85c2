#pragma once

#include "ports/SignatureVerifier.h"

namespace velmora {

// Linux has no verifier for the Authenticode signatures of the vendor's Windows packages:
// every package is "not checked" and runs on its digest alone.
class UncheckedSignatures final : public SignatureVerifier {
  public:
    SignatureCheck check(const SavedPackage& /*package*/) override { return {}; }
};

}  // namespace velmora
