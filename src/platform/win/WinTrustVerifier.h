#pragma once

#include "ports/SignatureVerifier.h"

namespace velmora {

// Authenticode through WinVerifyTrust (the generic verify action, no user interface), on
// the handle the package will be started from. Revocation is looked up in the system's
// cache only, so that a run never waits on the network for it: a certificate known to be
// revoked is refused, one whose revocation cannot be told from the cache is not.
class WinTrustVerifier final : public SignatureVerifier {
  public:
    SignatureCheck check(const SavedPackage& package) override;
};

}  // namespace velmora
