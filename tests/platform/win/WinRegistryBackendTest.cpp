// clang-format off
#include <windows.h>
#include <sddl.h>  // needs windows.h first
// clang-format on

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "RegistryContract.h"
#include "win/UniqueRegKey.h"
#include "win/WinRegistryBackend.h"
#include "win/WinText.h"

namespace velmora::test {

namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
const wchar_t* const kScratchParent = L"Software\\VelmoraTests";

// A scratch tree HKEY_CURRENT_USER\Software\VelmoraTests\<random> with one key standing for
// each root, removed with everything in it when it goes.
class ScratchTree {
  public:
    ScratchTree() : path_(std::wstring(kScratchParent) + L"\\" + randomName()) {
        user_ = create(path_ + L"\\user");
        machine_ = create(path_ + L"\\machine");
    }
    ~ScratchTree() {
        user_.reset();
        machine_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratchParent);  // refused while others use it
    }
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    HKEY user() const { return user_.get(); }
    HKEY machine() const { return machine_.get(); }

  private:
    static std::wstring randomName() {
        std::random_device random;
        return std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(random());
    }
    static UniqueRegKey create(const std::wstring& path) {
        UniqueRegKey key;
        const LSTATUS code = ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, key.receive(), nullptr);
        EXPECT_EQ(code, ERROR_SUCCESS);
        return key;
    }

    std::wstring path_;
    UniqueRegKey user_;
    UniqueRegKey machine_;
};

// The real backend on a scratch tree it keeps alive.
class ScratchRegistry final : public RegistryBackend {
  public:
    explicit ScratchRegistry(std::shared_ptr<ScratchTree> tree) : tree_(std::move(tree)) {}

    RegStatus queryValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                         RegistryValue& value) override {
        return backend_.queryValue(root, keyPath, valueName, value);
    }
    RegStatus setValue(RootKey root, const std::string& keyPath, const std::string& valueName,
                       const RegistryValue& value) override {
        return backend_.setValue(root, keyPath, valueName, value);
    }
    RegStatus deleteValue(RootKey root, const std::string& keyPath,
                          const std::string& valueName) override {
        return backend_.deleteValue(root, keyPath, valueName);
    }

  private:
    std::shared_ptr<ScratchTree> tree_;
    WinRegistryBackend backend_{tree_->user(), tree_->machine()};
};

// Backends made for the same scratch folder share one scratch tree, as two programs share
// the registry.
std::unique_ptr<RegistryBackend> scratchRegistryFor(const std::filesystem::path& scratch) {
    static std::map<std::filesystem::path, std::weak_ptr<ScratchTree>> trees;
    std::shared_ptr<ScratchTree> tree = trees[scratch].lock();
    if (!tree) {
        tree = std::make_shared<ScratchTree>();
        trees[scratch] = tree;
    }
    return std::make_unique<ScratchRegistry>(tree);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract,
                         ::testing::Values(RegistryBackendMaker{"Win32", scratchRegistryFor,
                                                                /*foldsOnlyAsciiCase=*/false}));

namespace {

std::string bytesOf(const std::wstring& text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

class WinRegistryTest : public ::testing::Test {
  protected:
    ScratchTree tree;
    WinRegistryBackend backend{tree.user(), tree.machine()};

    UniqueRegKey openUserKey(const wchar_t* path) const {
        UniqueRegKey key;
        EXPECT_EQ(::RegCreateKeyExW(tree.user(), path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    key.receive(), nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    // The type and bytes another program reads; type REG_NONE when there is no such value.
    std::pair<DWORD, std::string> readRaw(const wchar_t* path, const wchar_t* name) const {
        const UniqueRegKey key = openUserKey(path);
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return {REG_NONE, {}};
        }
        std::string bytes(size, '\0');
        ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                           &size);
        return {type, bytes};
    }
    void writeRaw(const wchar_t* path, const wchar_t* name, DWORD type, const std::string& bytes) {
        const UniqueRegKey key = openUserKey(path);
        ASSERT_EQ(
            ::RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
    }
};

TEST_F(WinRegistryTest, TextIsUtf16InTheRegistryAndUtf8InTheProgram) {
    ASSERT_EQ(backend.setValue(kUser, "K", "定義", {kRegSz, "ウィルス\0"}), RegStatus::Success);
    EXPECT_EQ(readRaw(L"K", L"定義"),
              std::make_pair(DWORD{REG_SZ}, bytesOf(std::wstring(L"ウィルス") + L'\0')));

    // Written by another program: without the NUL and with a stray half unit, or with NULs
    // inside.
    writeRaw(L"K", L"Short", REG_SZ, bytesOf(L"定義") + 'x');
    writeRaw(L"K", L"Nuls", REG_EXPAND_SZ, bytesOf(std::wstring(L"a\0b\0", 4)));
    RegistryValue value;
    ASSERT_EQ(backend.queryValue(kUser, "K", "Short", value), RegStatus::Success);
    EXPECT_EQ(value, (RegistryValue{kRegSz, "定義"}));
    ASSERT_EQ(backend.queryValue(kUser, "K", "Nuls", value), RegStatus::Success);
    EXPECT_EQ(value, (RegistryValue{REG_EXPAND_SZ, std::string("a\0b\0", 4)}));
}

TEST_F(WinRegistryTest, NamesHoldingANulAreRefusedRatherThanCutShort) {
    const std::string name("Run\0x", 5);
    EXPECT_EQ(backend.setValue(kUser, "K", name, {kRegSz, "1"}), RegStatus::InvalidParameter);
    EXPECT_EQ(backend.setValue(kUser, std::string("K\0L", 3), "Run", {kRegSz, "1"}),
              RegStatus::InvalidParameter);
    UniqueRegKey created;
    EXPECT_NE(::RegOpenKeyExW(tree.user(), L"K", 0, KEY_READ, created.receive()), ERROR_SUCCESS)
        << "nothing made for a refused name";
    ASSERT_EQ(backend.setValue(kUser, "K", "Run", {kRegSz, std::string("kept\0", 5)}),
              RegStatus::Success);
    EXPECT_EQ(backend.deleteValue(kUser, "K", name), RegStatus::InvalidParameter);
    EXPECT_EQ(readRaw(L"K", L"Run").second, bytesOf(std::wstring(L"kept") + L'\0'));
}

TEST_F(WinRegistryTest, AKeyThatMayOnlyBeReadIsRefused) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Everyone may read the key and delete it, nobody may change it.
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;KRSD;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    UniqueRegKey key;
    const LSTATUS created = ::RegCreateKeyExW(tree.user(), L"ReadOnly", 0, nullptr, 0, KEY_READ,
                                              &attributes, key.receive(), nullptr);
    ::LocalFree(descriptor);
    ASSERT_EQ(created, ERROR_SUCCESS);
    UniqueRegKey writable;
    if (::RegOpenKeyExW(tree.user(), L"ReadOnly", 0, KEY_SET_VALUE, writable.receive()) ==
        ERROR_SUCCESS) {
        GTEST_SKIP() << "this registry does not enforce the key's access list";
    }
    RegistryValue value;
    EXPECT_EQ(backend.queryValue(kUser, "ReadOnly", "x", value), RegStatus::AccessDenied);
    EXPECT_EQ(backend.setValue(kUser, "ReadOnly", "x", {kRegSz, "1"}), RegStatus::AccessDenied);
    EXPECT_EQ(backend.deleteValue(kUser, "ReadOnly", "x"), RegStatus::AccessDenied);
}

// The policies as Group Policy leaves them, under HKEY_LOCAL_MACHINE\SOFTWARE\Policies (a
// key of the test's own there): read with the right to read alone, and never changed.
TEST(WinPolicyRegistryTest, ValuesUnderTheMachinesPolicyKeyAreReadAndNeverWritten) {
    const std::wstring path =
        L"SOFTWARE\\Policies\\Tessaloy\\VelmoraTest-" + std::to_wstring(::GetCurrentProcessId());
    UniqueRegKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key.receive(), nullptr),
              ERROR_SUCCESS);
    struct Removed {
        std::wstring path;
        ~Removed() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str()); }
    } removed{path};
    const std::wstring interval = L"24";
    const DWORD one = 1;
    ASSERT_EQ(::RegSetValueExW(key.get(), L"Interval", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(interval.c_str()),
                               static_cast<DWORD>((interval.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), L"Log", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                               sizeof one),
              ERROR_SUCCESS);

    WinRegistryBackend policies(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, RegistryAccess::ReadOnly);
    const std::string keyPath = narrow(path);
    RegistryValue value;
    ASSERT_EQ(policies.queryValue(RootKey::LocalMachine, keyPath, "Interval", value),
              RegStatus::Success);
    EXPECT_EQ(value, (RegistryValue{kRegSz, std::string("24\0", 3)}));
    ASSERT_EQ(policies.queryValue(RootKey::LocalMachine, keyPath, "Log", value),
              RegStatus::Success);
    EXPECT_EQ(value.type, kRegDword) << "a value of another type is told apart";
    EXPECT_EQ(policies.queryValue(RootKey::LocalMachine, keyPath, "Auto", value),
              RegStatus::NotFound);

    EXPECT_EQ(policies.setValue(RootKey::LocalMachine, keyPath, "Interval", {kRegSz, "1"}),
              RegStatus::AccessDenied);
    EXPECT_EQ(policies.setValue(RootKey::LocalMachine, keyPath + "\\New", "x", {kRegSz, "1"}),
              RegStatus::AccessDenied);
    EXPECT_EQ(policies.deleteValue(RootKey::LocalMachine, keyPath, "Interval"),
              RegStatus::AccessDenied);
    EXPECT_EQ(policies.queryValue(RootKey::LocalMachine, keyPath, "Interval", value),
              RegStatus::Success);
    UniqueRegKey created;
    EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (path + L"\\New").c_str(), 0, KEY_READ,
                              created.receive()),
              ERROR_SUCCESS)
        << "nothing made under the policies";
}

}  // namespace
}  // namespace velmora::test
