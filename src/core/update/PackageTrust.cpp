#include "update/PackageTrust.h"

namespace velmora {

TrustDecision decideTrust(const SignatureCheck& check, const std::string& requiredPublisher) {
    using Verdict = SignatureCheck::Verdict;
    switch (check.verdict) {
        case Verdict::NotChecked:
            return TrustDecision::Run;
        case Verdict::Invalid:
            return TrustDecision::RefuseInvalid;
        case Verdict::Unsigned:
            return requiredPublisher.empty() ? TrustDecision::Run : TrustDecision::RefuseUnsigned;
        case Verdict::Valid:
            if (requiredPublisher.empty()) {
                return TrustDecision::RunAndKeepPublisher;
            }
            return check.publisher == requiredPublisher ? TrustDecision::Run
                                                        : TrustDecision::RefuseOtherPublisher;
    }
    return TrustDecision::RefuseInvalid;
}

}  // namespace velmora
