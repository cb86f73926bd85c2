#pragma once

#include <string>

#include "Version.h"

namespace velmora {

// Where the hash list and the packages are fetched from: a base URL with its closing slash,
// to which the list's name and the packages' folder are joined.
struct UpdateSource {
    std::string baseUrl;

    // The hash list of published packages and their MD5 digests.
    std::string hashListUrl() const { return baseUrl + "md5-hash.txt"; }
    // The folder URL the packages are served under, with its closing slash.
    std::string packageBaseUrl() const { return baseUrl + "packages/"; }
};

// The vendor's download server fixed at build time (VELMORA_VENDOR_HOST).
inline UpdateSource vendorSource() {
    return {std::string("http://") + version::kVendorHost + "/defs/download/"};
}

// The vendor's package folder; also the caption of the frame vendorFrame.
inline std::string packageBaseUrl() {
    return vendorSource().packageBaseUrl();
}

// The vendor's hash list.
inline std::string hashListUrl() {
    return vendorSource().hashListUrl();
}

}  // namespace velmora
