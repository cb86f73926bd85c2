#include "curl/CurlFetcher.h"

#include <curl/curl.h>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "http/Redirects.h"
#include "http/ResponseHead.h"

namespace velmora {

namespace {

constexpr const char* kUserAgent = "wininet";
constexpr const char* kWebProtocols = "http,https";
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

// Watches each request from libcurl's progress callback, which runs at least about once a
// second, also while nothing arrives: it ends a request whose head has not arrived whole
// within the head limit, one that has received nothing for the receive time-out since the
// connection was made or the last byte came (as a per-read time-out would; libcurl's
// low-speed limit averages over a window and would let a burst followed by silence run
// on), and any request once the program asks to end.
class TransferWatch {
  public:
    TransferWatch(const FetchTimeouts& timeouts, const std::atomic<bool>& cancelled)
        : idleLimit_(timeouts.receive), headLimit_(timeouts.responseHead), cancelled_(cancelled) {}

    void requestStarted() {
        connected_ = false;
        headPending_ = true;
        requestStart_ = Clock::now();
    }

    void sawActivity() {
        connected_ = true;
        lastActivity_ = Clock::now();
    }

    void headArrived() { headPending_ = false; }

    bool cancelled() const { return cancelled_; }

    static int onConnected(void* self, char* /*primaryIp*/, char* /*localIp*/, int /*primaryPort*/,
                           int /*localPort*/) {
        static_cast<TransferWatch*>(self)->sawActivity();
        return CURL_PREREQFUNC_OK;
    }

    static int onProgress(void* self, curl_off_t /*downloadTotal*/, curl_off_t /*downloaded*/,
                          curl_off_t /*uploadTotal*/, curl_off_t /*uploaded*/) {
        const auto* watch = static_cast<TransferWatch*>(self);
        const Clock::time_point now = Clock::now();
        const bool idle = watch->connected_ && now - watch->lastActivity_ >= watch->idleLimit_;
        const bool headLate =
            watch->headPending_ && now - watch->requestStart_ >= watch->headLimit_;
        return idle || headLate || watch->cancelled() ? 1 : 0;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::chrono::seconds idleLimit_;
    std::chrono::seconds headLimit_;
    const std::atomic<bool>& cancelled_;
    bool connected_ = false;
    bool headPending_ = true;
    Clock::time_point requestStart_;
    Clock::time_point lastActivity_;
};

// Reads each response head whole through ResponseHead, and passes the final response's body
// on to the receiver, counting it against the limit. A redirect ends its request once its
// head is in, and a head whose body's end cannot be told (ResponseHead::framing) ends it
// before any body is read. An exception of the receiver (it ran out of memory) cannot cross
// libcurl: it ends the transfer and is thrown again once libcurl has returned.
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

    void requestStarted() {
        head_.clear();
        redirect_.reset();
        unusable_ = false;
    }

    // Where the response just received redirects to, as it said it.
    const std::optional<std::string>& redirect() const { return redirect_; }
    // Its head forbids reading its body: framed in no way that can be trusted, or larger
    // than allowed.
    bool unusable() const { return unusable_; }
    bool refused() const { return refused_; }
    const std::exception_ptr& failure() const { return failure_; }

  private:
    bool headerLine(std::string_view line) {
        watch_.sawActivity();
        head_ += line;
        if (line != "\r\n" && line != "\n") {
            return true;
        }
        // An informational head, or a proxy's answer to a tunnel request, which carries no
        // response code, comes before the response itself.
        long code = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
        const ResponseHead head = ResponseHead::parse(std::exchange(head_, {}));
        if (code < 200) {
            return true;
        }
        watch_.headArrived();
        redirect_ = head.redirectLocation();
        return !redirect_ && acceptFraming(head.framing());
    }

    bool acceptFraming(const BodyFraming& framing) {
        unusable_ = framing.kind == BodyFraming::Kind::Broken ||
                    (framing.kind == BodyFraming::Kind::Length && framing.length > maxBytes_);
        if (!unusable_ && framing.kind == BodyFraming::Kind::Length) {
            receiver_.expectLength(framing.length);
        }
        return !unusable_;
    }

    bool deliver(const char* data, std::size_t size) {
        watch_.sawActivity();
        if (size > maxBytes_ - received_) {
            unusable_ = true;
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
    std::string head_;
    std::optional<std::string> redirect_;
    bool unusable_ = false;
    bool refused_ = false;
    std::exception_ptr failure_;
};

struct UrlCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

// `location` read against the URL that gave it (it may be relative).
std::optional<std::string> resolve(const std::string& base, const std::string& location) {
    const UrlHandle url(curl_url());
    char* combined = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_URL, &combined, 0) != CURLUE_OK) {
        return std::nullopt;
    }
    std::string result(combined);
    curl_free(combined);
    return result;
}

// The headers that ask every cache on the way to pass the request to the server.
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

CurlFetcher::CurlFetcher(FetchTimeouts timeouts, std::string caBundle)
    : timeouts_(timeouts), caBundle_(std::move(caBundle)) {}

FetchStatus CurlFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                               BodyReceiver& receiver, CacheUse cache) {
    if (cancelled_) {
        return FetchStatus::Cancelled;
    }
    if (sourceUrl.empty()) {
        return FetchStatus::Failed;
    }
    initialiseCurlOnce();
    const EasyHandle handle(curl_easy_init());
    const HeaderList headers = cache == CacheUse::Bypass ? cacheBypassHeaders() : nullptr;
    if (!handle || (cache == CacheUse::Bypass && !headers)) {
        return FetchStatus::Failed;
    }
    CURL* const curl = handle.get();
    TransferWatch watch(timeouts_, cancelled_);
    BodySink sink(curl, receiver, watch, maxBytes);
    // Redirects are followed here rather than by libcurl, so that the rule every adapter
    // shares decides each one.
    const bool configured =
        set(curl, CURLOPT_USERAGENT, kUserAgent) &&
        set(curl, CURLOPT_PROTOCOLS_STR, kWebProtocols) && set(curl, CURLOPT_FOLLOWLOCATION, 0L) &&
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
        set(curl, CURLOPT_XFERINFODATA, &watch) && set(curl, CURLOPT_NOPROGRESS, 0L) &&
        (caBundle_.empty() || set(curl, CURLOPT_CAINFO, caBundle_.c_str()));
    // No proxy is set here, so that libcurl reads http_proxy and no_proxy from the environment.
    if (!configured) {
        return FetchStatus::Failed;
    }
    std::string url = sourceUrl;
    for (int followed = 0;; ++followed) {
        if (!set(curl, CURLOPT_URL, url.c_str())) {
            return FetchStatus::Failed;
        }
        watch.requestStarted();
        sink.requestStarted();
        // Only a transfer libcurl saw end cleanly is whole: one that ends short of its
        // announced length, in a broken chunk, on a reset or a stall has lost its tail.
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
        if (!sink.redirect()) {
            return result == CURLE_OK && !sink.unusable() ? FetchStatus::Complete
                                                          : FetchStatus::Failed;
        }
        const std::optional<std::string> next = resolve(url, *sink.redirect());
        if (!next || !mayFollowRedirect(url, *next, followed)) {
            return FetchStatus::Failed;
        }
        url = *next;
    }
}

}  // namespace velmora
