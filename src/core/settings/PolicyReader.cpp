#include "settings/PolicyReader.h"

#include <exception>
#include <optional>
#include <string>

#include "log/PrintableText.h"
#include "settings/NumericText.h"
#include "update/MirrorUrl.h"

namespace velmora {

namespace {

// A policy's text is quoted in its log line up to this length: a 10 kB value must not fill
// the log.
constexpr std::size_t kQuotedTextLimit = 256;

// One value as the store answered, or the store's refusal.
struct PolicyValue {
    RegStatus status = RegStatus::NotFound;
    bool isText = false;
    std::string text;  // up to its first NUL
};

class Reader {
  public:
    Reader(RegistryBackend& store, EventLog& log) : store_(store), log_(log) {}

    Policies read() {
        Policies policies;
        for (const StoredSetting& stored : kStoredSettings) {
            if (stored.administrable) {
                if (const auto text = usableText(stored.name)) {
                    readSetting(policies, stored, *text);
                }
            }
        }
        if (const auto url = usableText(kUpdateUrlPolicy)) {
            readUpdateUrl(policies, *url);
        }
        if (const auto publisher = usableText(kPackagePublisherPolicy)) {
            readPublisher(policies, *publisher);
        }
        if (const auto cache = usableText(kCachePackagesPolicy)) {
            readCachePackages(policies, *cache);
        }
        return policies;
    }

  private:
    PolicyValue query(std::string_view name) {
        PolicyValue answer;
        RegistryValue value;
        try {
            answer.status =
                store_.queryValue(RootKey::LocalMachine, policyKeyPath(), std::string(name), value);
        } catch (const std::exception&) {
            answer.status = RegStatus::BadDatabase;
        }
        answer.isText = value.type == kRegSz;
        answer.text = value.data.substr(0, value.data.find('\0'));
        return answer;
    }

    // The text of a string value that is set; nothing, with a line in the log where it is
    // set but unusable, and for every value once the store itself has failed.
    std::optional<std::string> usableText(std::string_view name) {
        if (storeFailed_) {
            return std::nullopt;
        }
        const PolicyValue value = query(name);
        switch (value.status) {
            case RegStatus::Success:
                if (value.isText) {
                    return value.text;
                }
                report("管理者のポリシー " + std::string(name) +
                       " は文字列ではないため無視します.");
                return std::nullopt;
            case RegStatus::NotFound:
                return std::nullopt;
            case RegStatus::AccessDenied:
                reportStore("を安全に読み込めないため無視します.");
                return std::nullopt;
            case RegStatus::InvalidParameter:
            case RegStatus::BadDatabase:
                break;
        }
        reportStore("を読み込めないため無視します.");
        return std::nullopt;
    }

    void readSetting(Policies& policies, const StoredSetting& stored, const std::string& text) {
        const std::optional<double> number = parseNumericText(text);
        const std::optional<std::int16_t> rounded = number ? roundToInt16(*number) : std::nullopt;
        if (!rounded || *rounded < stored.minimum || *rounded > stored.maximum) {
            reportValue(stored.name, text,
                        "は範囲外か数値ではないため無視します(" + std::to_string(stored.minimum) +
                            "から" + std::to_string(stored.maximum) + "まで).");
            return;
        }
        readStoredSetting(policies.settings, stored.key, std::to_string(*rounded));
        policies.managed.insert(stored.key);
    }

    void readUpdateUrl(Policies& policies, const std::string& url) {
        if (const auto problem = mirrorUrlProblem(url)) {
            reportValue(
                kUpdateUrlPolicy, url,
                "は使えないため無視します(" + *problem + "). ベンダーのサーバーを使います.");
            return;
        }
        policies.updateUrl = mirrorBaseUrl(url);
    }

    void readPublisher(Policies& policies, const std::string& publisher) {
        if (publisher.empty()) {
            reportValue(kPackagePublisherPolicy, publisher, "は空のため無視します.");
            return;
        }
        policies.packagePublisher = publisher;
    }

    void readCachePackages(Policies& policies, const std::string& text) {
        if (text != "0" && text != "1") {
            reportValue(kCachePackagesPolicy, text, "は1か0ではないため無視します.");
            return;
        }
        policies.cachePackages = text == "1";
    }

    void reportValue(std::string_view name, const std::string& text, const std::string& why) {
        report("管理者のポリシー " + std::string(name) + "(" +
               printableExcerpt(text, kQuotedTextLimit) + ")" + why);
    }

    void reportStore(const std::string& why) {
        storeFailed_ = true;
        const std::string location = store_.storeLocation(RootKey::LocalMachine);
        report("管理者のポリシー(" + (location.empty() ? policyKeyPath() : location) + ")" + why);
    }

    void report(const std::string& text) {
        const bool showBox = false;
        const bool writeToLog = true;
        log_.report(text, showBox, writeToLog);
    }

    RegistryBackend& store_;
    EventLog& log_;
    bool storeFailed_ = false;
};

}  // namespace

Policies readPolicies(RegistryBackend& store, EventLog& log) {
    return Reader(store, log).read();
}

}  // namespace velmora
