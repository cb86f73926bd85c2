#include "win/RunKeyAutostart.h"

#include <filesystem>
#include <utility>

#include "win/WinText.h"

namespace velmora {

namespace {

// The command line Windows runs at logon. Quoted, since an unquoted path with a blank, such
// as one under "C:\Program Files", would be tried as "C:\Program.exe" first.
std::string commandLineOf(const std::string& program) {
    return "\"" + program + ".exe\"" + '\0';
}

// No file name holds a double quote, and nothing after a NUL would be run.
bool canBeCommandLine(const std::string& program) {
    return !program.empty() && program.find_first_of(std::string("\"\0", 2)) == std::string::npos;
}

// The registry's answer in the terms of start-up entries.
AutostartResult resultOf(RegStatus status) {
    switch (status) {
        case RegStatus::Success:
            return AutostartResult::Done;
        case RegStatus::NotFound:
            return AutostartResult::NotFound;
        case RegStatus::AccessDenied:
            return AutostartResult::Refused;
        case RegStatus::InvalidParameter:
        case RegStatus::BadDatabase:
            break;
    }
    return AutostartResult::Invalid;
}

}  // namespace

RunKeyAutostart::RunKeyAutostart(RegistryBackend& registry, AdministratorsOnly administratorsOnly)
    : registry_(registry), administratorsOnly_(std::move(administratorsOnly)) {}

bool RunKeyAutostart::mayStartForEveryUser(const std::string& program) const {
    const std::filesystem::path file(widen(program + ".exe"));
    return administratorsOnly_(file.parent_path().wstring()) && administratorsOnly_(file.wstring());
}

AutostartResult RunKeyAutostart::enable(const std::string& entryName, const std::string& program) {
    // The unnamed value is no entry Windows starts.
    if (entryName.empty() || !canBeCommandLine(program)) {
        return AutostartResult::Invalid;
    }
    const RegistryValue command{kRegSz, commandLineOf(program)};
    if (!mayStartForEveryUser(program)) {
        return resultOf(registry_.setValue(RootKey::CurrentUser, kRunKeyPath, entryName, command));
    }
    const RegStatus machine =
        registry_.setValue(RootKey::LocalMachine, kRunKeyPath, entryName, command);
    if (machine == RegStatus::AccessDenied) {
        return resultOf(registry_.setValue(RootKey::CurrentUser, kRunKeyPath, entryName, command));
    }
    if (machine == RegStatus::Success) {
        // An entry left in the user's key by an earlier, unprivileged enable would start the
        // program a second time, perhaps from where it used to be.
        registry_.deleteValue(RootKey::CurrentUser, kRunKeyPath, entryName);
    }
    return resultOf(machine);
}

AutostartResult RunKeyAutostart::disable(const std::string& entryName) {
    if (entryName.empty()) {
        return AutostartResult::Invalid;
    }
    const RegStatus machine = registry_.deleteValue(RootKey::LocalMachine, kRunKeyPath, entryName);
    const RegStatus user = registry_.deleteValue(RootKey::CurrentUser, kRunKeyPath, entryName);
    if (machine == RegStatus::Success || user == RegStatus::Success) {
        return AutostartResult::Done;
    }
    // A refused machine key may still hold the entry: only when both were looked at is
    // there certainly none.
    return resultOf(machine != RegStatus::NotFound ? machine : user);
}

}  // namespace velmora
