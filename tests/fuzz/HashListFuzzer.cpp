// The hash-list lookup: any bytes as the body of md5-hash.txt, with the stored flavour index
// taken from the first byte (0 and 1 name i32 and x86, anything else counts as i32). A
// result is always the package name of the last entry of that flavour with the 32 characters
// before it; anything else gives nothing and reports once.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "log/EventLog.h"
#include "ports/HttpFetcher.h"
#include "ports/Notifier.h"
#include "ports/RegistryBackend.h"
#include "settings/Reg.h"
#include "settings/RegistrySettings.h"
#include "update/LatestPackage.h"
#include "update/VendorUrls.h"
#include "window/SettingsWindowControls.h"

namespace {

using velmora::fuzz::check;

class BodyFetcher final : public velmora::HttpFetcher {
  public:
    explicit BodyFetcher(std::string_view body) : body_(body) {}
    velmora::FetchStatus fetch(const std::string&, std::uint64_t, velmora::BodyReceiver& receiver,
                               velmora::CacheUse) override {
        receiver.receive({reinterpret_cast<const std::uint8_t*>(body_.data()), body_.size()});
        return velmora::FetchStatus::Complete;
    }
    void cancel() override {}
    bool cancelled() const override { return false; }

  private:
    std::string_view body_;
};

// The stored IUP is `index`; every other value is missing.
// Start-up entries that go nowhere: the look-up never changes them.
class NoAutostart final : public velmora::Autostart {
  public:
    velmora::AutostartResult enable(const std::string&, const std::string&) override {
        return velmora::AutostartResult::Done;
    }
    velmora::AutostartResult disable(const std::string&) override {
        return velmora::AutostartResult::Done;
    }
};

class FlavourBackend final : public velmora::RegistryBackend {
  public:
    explicit FlavourBackend(std::string index) : index_(std::move(index)) {}
    velmora::RegStatus queryValue(velmora::RootKey, const std::string&, const std::string& name,
                                  velmora::RegistryValue& value) override {
        if (name != "IUP") {
            return velmora::RegStatus::NotFound;
        }
        value = {velmora::kRegSz, index_ + '\0'};
        return velmora::RegStatus::Success;
    }
    velmora::RegStatus setValue(velmora::RootKey, const std::string&, const std::string&,
                                const velmora::RegistryValue&) override {
        return velmora::RegStatus::AccessDenied;
    }
    velmora::RegStatus deleteValue(velmora::RootKey, const std::string&,
                                   const std::string&) override {
        return velmora::RegStatus::AccessDenied;
    }

  private:
    std::string index_;
};

class CountingNotifier final : public velmora::Notifier {
  public:
    void showNotice(const std::string&) override { ++notices; }
    int notices = 0;
};

bool isPackageName(std::string_view name) {
    if (name.size() != 12 || name[8] != '-') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i != 8 && (name[i] < '0' || name[i] > '9')) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int storedIndex = static_cast<std::int8_t>(data[0]) % 3;
    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);

    velmora::SettingsWindowControls controls;
    const std::string flavour = storedIndex == 1 ? "x86" : "i32";
    check(controls.flavourOptions[static_cast<std::size_t>(velmora::soundFlavourIndex(storedIndex))]
                  .tag() == flavour,
          "the flavour tags are i32 and x86");

    CountingNotifier notifier;
    velmora::EventLog log({"/dev/null", {}}, notifier, [] { return velmora::LogStamp{}; });
    FlavourBackend backend(std::to_string(storedIndex));
    velmora::Reg reg(backend, log);
    NoAutostart autostart;
    velmora::RegistrySettings settings(reg, autostart, velmora::startupEntryFor("/opt", "velmora"));
    BodyFetcher fetcher(body);
    velmora::LatestPackageFinder finder(fetcher, log);
    const bool showBox = true;
    const bool writeToLog = false;
    const velmora::Flavour stored = settings.load().settings.flavour;
    check(velmora::flavourText(stored) == flavour, "the stored flavour is the option's");
    const std::optional<velmora::PublishedPackage> found =
        finder.lookUp(stored, velmora::hashListUrl(), showBox, writeToLog);

    const std::string suffix = "-" + flavour + ".exe";
    const std::size_t last = body.rfind(suffix);
    const bool usable =
        last != std::string_view::npos && last >= 45 && isPackageName(body.substr(last - 12, 12));
    if (!found) {
        check(!usable, "a usable last entry is found");
        check(notifier.notices == 1, "a failure is reported once");
        return 0;
    }
    check(usable, "only a usable last entry gives a package");
    check(notifier.notices == 0, "success reports nothing");
    check(found->digest == body.substr(last - 45, 32),
          "the digest is the 32 characters before the name");
    check(found->name == body.substr(last - 12, 12), "the name is that entry's package name");
    return 0;
}
