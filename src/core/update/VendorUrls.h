#pragma once

#include <string>

#include "Version.h"

namespace velmora {

// The folder URL the packages are served under, on the vendor's download server fixed at
// build time (VELMORA_VENDOR_HOST), with its closing slash. Also the caption of the frame
// vendorFrame.
inline std::string packageBaseUrl() {
    return std::string("http://") + version::kVendorHost + "/defs/download/packages/";
}

// The vendor's hash list of published packages and their MD5 digests.
inline std::string hashListUrl() {
    return std::string("http://") + version::kVendorHost + "/defs/download/md5-hash.txt";
}

}  // namespace velmora
