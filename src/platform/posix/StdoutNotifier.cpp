#include "platform/posix/StdoutNotifier.h"

#include <iostream>

namespace velmora {

void StdoutNotifier::showNotice(const std::string& text) {
    std::cout << text << std::endl;
}

}  // namespace velmora
