#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "win/NamedMutexInstance.h"
#include "win/UniqueHandle.h"

namespace velmora {
namespace {

using Outcome = SingleInstance::Outcome;

// A name of our own, so that a Velmora running on this machine does not meet the test.
const std::string kName = "VelmoraTest-" + std::to_string(::GetCurrentProcessId());

// The outcome another process gets when it claims the same instance.
std::optional<Outcome> outcomeInAnotherProcess() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring child =
        (std::filesystem::path(self).parent_path() / "velmora_test_child.exe").wstring();
    ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_CLAIM",
                              std::wstring(kName.begin(), kName.end()).c_str());
    std::wstring commandLine = L"\"" + child + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessW(child.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &startup, &started);
    ::SetEnvironmentVariableW(L"VELMORA_TEST_CHILD_CLAIM", nullptr);
    if (!ok) {
        return std::nullopt;
    }
    const UniqueHandle process(started.hProcess);
    ::CloseHandle(started.hThread);
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &exitCode)) {
        return std::nullopt;
    }
    return static_cast<Outcome>(exitCode);
}

TEST(NamedMutexInstanceTest, OneHolderAtATimeAcrossProcessesUntilItGoes) {
    std::optional<NamedMutexInstance> first(std::in_place, kName);
    ASSERT_EQ(first->outcome(), Outcome::Acquired) << first->problem();
    // The one that found it held stays alive: it must not keep the instance for itself.
    const NamedMutexInstance second(kName);
    EXPECT_EQ(second.outcome(), Outcome::HeldElsewhere);
    EXPECT_EQ(outcomeInAnotherProcess(), Outcome::HeldElsewhere);

    first.reset();
    EXPECT_EQ(outcomeInAnotherProcess(), Outcome::Acquired);
    EXPECT_EQ(NamedMutexInstance(kName).outcome(), Outcome::Acquired);
}

}  // namespace
}  // namespace velmora
