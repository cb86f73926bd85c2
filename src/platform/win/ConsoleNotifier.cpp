#include "win/ConsoleNotifier.h"

#include "log/NoticeLine.h"
#include "win/ConsoleText.h"

namespace velmora {

// A missing or broken output (a reader that has gone) loses the notice and the run goes on.
void ConsoleNotifier::showNotice(const std::string& text) {
    writeStandardText(StandardStream::Output, noticeLine(text));
}

}  // namespace velmora
