#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Start-up entries in the Desktop Entry format, as autostart folders hold them.

// The text of an entry that starts `command` (one program path, no arguments) at log-in.
std::string desktopEntryText(std::string_view command);

// The command an entry starts: its `Exec` unquoted back into the program path when it names
// a single program, else the `Exec` command line as it stands (escapes of the string type
// undone). Nothing when the entry has no `Exec` in its [Desktop Entry] group.
std::optional<std::string> desktopEntryCommand(std::string_view entryText);

// `Exec` quoting: the argument quoted when it holds a reserved character, percent signs
// doubled, then the escapes of the string type applied (so a backslash becomes four).
std::string quoteExecValue(std::string_view program);
std::string unquoteExecValue(std::string_view execValue);

}  // namespace velmora
