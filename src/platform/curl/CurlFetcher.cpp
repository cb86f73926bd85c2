#include "curl/CurlFetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <exception>
#include <memory>
#include <string_view>

namespace velmora {

namespace {

constexpr const char* kUserAgent = "wininet";
constexpr const char* kWebProtocols = "http,https";
constexpr long kMaxRedirects = 10;
// Larger reads than libcurl's 16 KiB default: fewer callbacks on a large package.
constexpr long kReceiveBufferBytes = 512L * 1024;

struct EasyHandleCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleCleanup>;

struct HeaderListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListCleanup>;

void initialiseCurlOnce() {
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    static_cast<void>(initialised);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Watches the transfer from libcurl's progress callback, which runs at least about once a
// second, also while nothing arrives: it ends a transfer once nothing has arrived for the
// receive time-out since the connection was made or the last byte came (as a per-read
// time-out would; libcurl's low-speed limit averages over a window and would let a burst
// followed by silence run on), and ends any transfer once the program asks to end.
class TransferWatch {
  public:
    TransferWatch(std::chrono::seconds idleLimit, const std::atomic<bool>& cancelled)
        : idleLimit_(idleLimit), cancelled_(cancelled) {}

    void sawActivity() {
        connected_ = true;
        lastActivity_ = Clock::now();
    }

    bool cancelled() const { return cancelled_; }

    static int onConnected(void* self, char* /*primaryIp*/, char* /*localIp*/, int /*primaryPort*/,
                           int /*localPort*/) {
        static_cast<TransferWatch*>(self)->sawActivity();
        return CURL_PREREQFUNC_OK;
    }

    static int onProgress(void* self, curl_off_t /*downloadTotal*/, curl_off_t /*downloaded*/,
                          curl_off_t /*uploadTotal*/, curl_off_t /*uploaded*/) {
        const auto* watch = static_cast<TransferWatch*>(self);
        const bool idle =
            watch->connected_ && Clock::now() - watch->lastActivity_ >= watch->idleLimit_;
        return idle || watch->cancelled() ? 1 : 0;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::chrono::seconds idleLimit_;
    const std::atomic<bool>& cancelled_;
    bool connected_ = false;
    Clock::time_point lastActivity_;
};

// Passes the final response's body on to the receiver, counting it against the limit. A
// redirect's body is dropped. An exception of the receiver (it ran out of memory) cannot
// cross libcurl: it ends the transfer and is thrown again once libcurl has returned.
class BodySink {
  public:
    BodySink(CURL* handle, BodyReceiver& receiver, TransferWatch& watch, std::uint64_t maxBytes)
        : handle_(handle), receiver_(receiver), watch_(watch), maxBytes_(maxBytes) {}

    static std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* self) {
        const bool wanted =
            static_cast<BodySink*>(self)->headerLine(std::string_view(data, size * count));
        return wanted ? size * count : 0;
    }

    static std::size_t onBodyData(char* data, std::size_t size, std::size_t count, void* self) {
        const bool kept = static_cast<BodySink*>(self)->deliver(data, size * count);
        return kept ? size * count : 0;
    }

    bool tooLarge() const { return tooLarge_; }
    bool refused() const { return refused_; }
    const std::exception_ptr& failure() const { return failure_; }

  private:
    // False once the final response announces more than the limit allows.
    bool headerLine(std::string_view line) {
        watch_.sawActivity();
        if (line.starts_with("HTTP/")) {
            headHasLocation_ = false;
        } else if (startsWithIgnoringCase(line, "Location:")) {
            headHasLocation_ = true;
        } else if ((line == "\r\n" || line == "\n") && isFinalResponse()) {
            curl_off_t announced = -1;
            curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
            tooLarge_ = announced > 0 && static_cast<std::uint64_t>(announced) > maxBytes_;
            if (announced >= 0 && !tooLarge_) {
                receiver_.expectLength(static_cast<std::uint64_t>(announced));
            }
            return !tooLarge_;
        }
        return true;
    }

    // A head that libcurl will not follow: not informational, not a proxy tunnel's answer
    // (whose code is not a response code), not a redirect.
    bool isFinalResponse() const {
        long code = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
        const bool redirect = code >= 300 && code < 400 && code != 304 && headHasLocation_;
        return code >= 200 && !redirect;
    }

    bool deliver(const char* data, std::size_t size) {
        watch_.sawActivity();
        if (size > maxBytes_ - received_) {
            tooLarge_ = true;
            return false;
        }
        received_ += size;
        try {
            refused_ = !receiver_.receive({reinterpret_cast<const std::uint8_t*>(data), size});
        } catch (...) {
            failure_ = std::current_exception();
            return false;
        }
        return !refused_;
    }

    CURL* handle_;
    BodyReceiver& receiver_;
    TransferWatch& watch_;
    std::uint64_t maxBytes_;
    std::uint64_t received_ = 0;
    bool headHasLocation_ = false;
    bool tooLarge_ = false;
    bool refused_ = false;
    std::exception_ptr failure_;
};

HeaderList cacheBypassHeaders() {
    HeaderList headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    if (headers) {
        curl_slist* extended = curl_slist_append(headers.get(), "Pragma: no-cache");
        if (extended == nullptr) {
            return nullptr;
        }
    }
    return headers;
}

template <typename Value>
bool set(CURL* handle, CURLoption option, Value value) {
    return curl_easy_setopt(handle, option, value) == CURLE_OK;
}

}  // namespace

CurlFetcher::CurlFetcher(FetchTimeouts timeouts) : timeouts_(timeouts) {}

FetchStatus CurlFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                               BodyReceiver& receiver) {
    if (cancelled_) {
        return FetchStatus::Cancelled;
    }
    if (sourceUrl.empty()) {
        return FetchStatus::Failed;
    }
    initialiseCurlOnce();
    const EasyHandle handle(curl_easy_init());
    const HeaderList headers = cacheBypassHeaders();
    if (!handle || !headers) {
        return FetchStatus::Failed;
    }
    CURL* const curl = handle.get();
    TransferWatch watch(timeouts_.receive, cancelled_);
    BodySink sink(curl, receiver, watch, maxBytes);
    const bool configured =
        set(curl, CURLOPT_URL, sourceUrl.c_str()) && set(curl, CURLOPT_USERAGENT, kUserAgent) &&
        set(curl, CURLOPT_PROTOCOLS_STR, kWebProtocols) &&
        set(curl, CURLOPT_REDIR_PROTOCOLS_STR, kWebProtocols) &&
        set(curl, CURLOPT_FOLLOWLOCATION, 1L) && set(curl, CURLOPT_MAXREDIRS, kMaxRedirects) &&
        set(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect.count())) &&
        set(curl, CURLOPT_LOW_SPEED_LIMIT, timeouts_.lowSpeedBytesPerSecond) &&
        set(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts_.lowSpeedWindow.count())) &&
        set(curl, CURLOPT_HTTPHEADER, headers.get()) && set(curl, CURLOPT_NOSIGNAL, 1L) &&
        set(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes) &&
        set(curl, CURLOPT_HEADERFUNCTION, &BodySink::onHeaderLine) &&
        set(curl, CURLOPT_HEADERDATA, &sink) &&
        set(curl, CURLOPT_WRITEFUNCTION, &BodySink::onBodyData) &&
        set(curl, CURLOPT_WRITEDATA, &sink) &&
        set(curl, CURLOPT_PREREQFUNCTION, &TransferWatch::onConnected) &&
        set(curl, CURLOPT_PREREQDATA, &watch) &&
        set(curl, CURLOPT_XFERINFOFUNCTION, &TransferWatch::onProgress) &&
        set(curl, CURLOPT_XFERINFODATA, &watch) && set(curl, CURLOPT_NOPROGRESS, 0L);
    // No proxy is set here, so that libcurl reads http_proxy and no_proxy from the environment.
    if (!configured) {
        return FetchStatus::Failed;
    }
    // Only a transfer libcurl saw end cleanly is whole: one that ends short of its announced
    // length, in a broken chunk, on a reset or a stall has lost its tail.
    const CURLcode result = curl_easy_perform(curl);
    if (sink.failure()) {
        std::rethrow_exception(sink.failure());
    }
    if (watch.cancelled()) {
        return FetchStatus::Cancelled;
    }
    if (sink.refused()) {
        return FetchStatus::Refused;
    }
    return result == CURLE_OK && !sink.tooLarge() ? FetchStatus::Complete : FetchStatus::Failed;
}

}  // namespace velmora
