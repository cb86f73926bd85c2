// The start-up entry's Exec quoting: any bytes as a program path survive quoting and
// unquoting and a whole entry written and read back; any bytes as an entry read without
// harm, and what an entry reads as is kept when it is written again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "linux/DesktopEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velmora::fuzz::check;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string quoted = velmora::quoteExecValue(text);
    check(quoted.find_first_of("\r\n") == std::string::npos, "a quoted Exec stays on one line");
    check(velmora::unquoteExecValue(quoted) == text, "unquoting gives the path back");
    if (text.find('\0') == std::string::npos) {
        check(velmora::desktopEntryCommand(velmora::desktopEntryText(text)) == text,
              "an entry written reads back as its path");
    }

    const auto command = velmora::desktopEntryCommand(text);
    if (command && command->find('\0') == std::string::npos) {
        check(velmora::desktopEntryCommand(velmora::desktopEntryText(*command)) == *command,
              "what an entry reads as is kept when written again");
    }
    return 0;
}
