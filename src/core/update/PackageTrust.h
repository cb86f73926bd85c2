#pragma once

#include <string>

#include "ports/SignatureVerifier.h"

namespace velmora {

// What a package's signature means for running it.
enum class TrustDecision {
    Run,
    RunAndKeepPublisher,   // the first valid signature: its publisher is required from now on
    RefuseInvalid,         // a signature that does not hold
    RefuseUnsigned,        // no signature where one of the required publisher is needed
    RefuseOtherPublisher,  // a valid signature of a publisher other than the required one
};

// A signature that does not hold is always refused. Once a publisher is required (kept
// from the first valid signature, or set by an administrator), only a valid signature of
// that publisher runs. Until then an unsigned package runs as before, since the vendor may
// not sign its packages, and the first valid signature fixes the publisher. Where the
// system cannot check signatures, the package runs as before.
TrustDecision decideTrust(const SignatureCheck& check, const std::string& requiredPublisher);

}  // namespace velmora
