#include "platform/net/CurlFetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <limits>
#include <memory>
#include <string_view>

#include "platform/posix/PagePrefaulter.h"

namespace velmora {

namespace {

constexpr const char* kUserAgent = "wininet";
constexpr const char* kWebProtocols = "http,https";
constexpr long kMaxRedirects = 10;
// Below one byte a second for the whole receive time-out also ends a transfer that
// trickles.
constexpr long kLowSpeedBytesPerSecond = 1;
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

// Ends a transfer once nothing has arrived for the receive time-out since the connection
// was made or the last byte came, as a per-read time-out would. libcurl's low-speed limit
// alone looks at the average over a sliding window and would let a burst followed by
// silence run for several seconds longer.
class IdleWatch {
  public:
    explicit IdleWatch(std::chrono::seconds limit) : limit_(limit) {}

    void sawActivity() {
        connected_ = true;
        lastActivity_ = Clock::now();
    }

    static int onConnected(void* self, char* /*primaryIp*/, char* /*localIp*/, int /*primaryPort*/,
                           int /*localPort*/) {
        static_cast<IdleWatch*>(self)->sawActivity();
        return CURL_PREREQFUNC_OK;
    }

    // libcurl calls this at least about once a second, also while nothing arrives.
    static int onProgress(void* self, curl_off_t /*downloadTotal*/, curl_off_t /*downloaded*/,
                          curl_off_t /*uploadTotal*/, curl_off_t /*uploaded*/) {
        const auto* watch = static_cast<IdleWatch*>(self);
        const bool expired =
            watch->connected_ && Clock::now() - watch->lastActivity_ >= watch->limit_;
        return expired ? 1 : 0;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::chrono::seconds limit_;
    bool connected_ = false;
    Clock::time_point lastActivity_;
};

// Collects the body straight into the caller's buffer. The buffer is touched only once the
// head of the final response (after any redirects) has arrived, so a request that never
// opens leaves it as it was, and one that opens but brings no byte leaves it empty.
class BodySink {
  public:
    BodySink(CURL* handle, ByteBuffer& target, IdleWatch& watch, const BodyPieceObserver& onPiece)
        : handle_(handle), target_(target), watch_(watch), onPiece_(onPiece) {}

    static std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* self) {
        static_cast<BodySink*>(self)->headerLine(std::string_view(data, size * count));
        return size * count;
    }

    static std::size_t onBodyData(char* data, std::size_t size, std::size_t count, void* self) {
        const bool kept = static_cast<BodySink*>(self)->append(data, size * count);
        return kept ? size * count : 0;
    }

    bool opened() const { return opened_; }

    void open() {
        if (opened_) {
            return;
        }
        opened_ = true;
        target_.clear();
        reserveAnnouncedLength();
    }

  private:
    void headerLine(std::string_view line) {
        watch_.sawActivity();
        if (line.starts_with("HTTP/")) {
            headHasLocation_ = false;
        } else if (startsWithIgnoringCase(line, "Location:")) {
            headHasLocation_ = true;
        } else if (line == "\r\n" || line == "\n") {
            if (isFinalResponse()) {
                open();
            }
        }
    }

    // A head that libcurl will not follow: not informational, not a proxy tunnel's answer
    // (whose code is not a response code), not a redirect.
    bool isFinalResponse() const {
        long code = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
        const bool redirect = code >= 300 && code < 400 && code != 304 && headHasLocation_;
        return code >= 200 && !redirect;
    }

    // Reserving the announced length up front means a body of n bytes costs n bytes, with
    // no copying. A length that cannot be had is not reserved: growth then takes over.
    void reserveAnnouncedLength() {
        curl_off_t announced = -1;
        curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced <= 0 ||
            static_cast<std::uintmax_t>(announced) > std::numeric_limits<std::size_t>::max()) {
            return;
        }
        try {
            target_.reserve(static_cast<std::size_t>(announced));
        } catch (const std::exception&) {
            // Not enough memory for what the server announced; growth decides later.
        }
    }

    // Growth beyond the reservation is geometric, so copying stays linear in the body.
    // Running out of memory, or an observer that fails, ends the transfer and keeps what
    // arrived.
    bool append(const char* data, std::size_t size) {
        watch_.sawActivity();
        open();
        try {
            prefaulter_.before(target_, size);
            const std::size_t start = target_.size();
            target_.insert(target_.end(), data, data + size);
            if (onPiece_) {
                onPiece_(std::span<const std::uint8_t>(target_).subspan(start));
            }
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    CURL* handle_;
    ByteBuffer& target_;
    IdleWatch& watch_;
    const BodyPieceObserver& onPiece_;
    PagePrefaulter prefaulter_;
    bool opened_ = false;
    bool headHasLocation_ = false;
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

bool applyProxyChoice(CURL* handle, const std::string& proxyServer) {
    if (proxyServer.empty()) {
        // Left unset so that libcurl reads http_proxy and no_proxy from the environment.
        return true;
    }
    // An explicit proxy has no bypass list: the empty list also overrides no_proxy.
    return set(handle, CURLOPT_PROXY, proxyServer.c_str()) && set(handle, CURLOPT_NOPROXY, "");
}

}  // namespace

CurlFetcher::CurlFetcher(FetchTimeouts timeouts) : timeouts_(timeouts) {}

std::size_t CurlFetcher::InternetGetFile(const std::string& sourceUrl, ByteBuffer& received,
                                         const std::string& proxyServer,
                                         const BodyPieceObserver& onPiece) {
    if (sourceUrl.empty()) {
        return 0;
    }
    initialiseCurlOnce();
    const EasyHandle handle(curl_easy_init());
    const HeaderList headers = cacheBypassHeaders();
    if (!handle || !headers) {
        return 0;
    }
    CURL* const curl = handle.get();
    IdleWatch watch(timeouts_.receive);
    BodySink sink(curl, received, watch, onPiece);
    const bool configured =
        set(curl, CURLOPT_URL, sourceUrl.c_str()) && set(curl, CURLOPT_USERAGENT, kUserAgent) &&
        set(curl, CURLOPT_PROTOCOLS_STR, kWebProtocols) &&
        set(curl, CURLOPT_REDIR_PROTOCOLS_STR, kWebProtocols) &&
        set(curl, CURLOPT_FOLLOWLOCATION, 1L) && set(curl, CURLOPT_MAXREDIRS, kMaxRedirects) &&
        set(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect.count())) &&
        set(curl, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond) &&
        set(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts_.receive.count())) &&
        set(curl, CURLOPT_HTTPHEADER, headers.get()) && set(curl, CURLOPT_NOSIGNAL, 1L) &&
        set(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes) &&
        set(curl, CURLOPT_HEADERFUNCTION, &BodySink::onHeaderLine) &&
        set(curl, CURLOPT_HEADERDATA, &sink) &&
        set(curl, CURLOPT_WRITEFUNCTION, &BodySink::onBodyData) &&
        set(curl, CURLOPT_WRITEDATA, &sink) &&
        set(curl, CURLOPT_PREREQFUNCTION, &IdleWatch::onConnected) &&
        set(curl, CURLOPT_PREREQDATA, &watch) &&
        set(curl, CURLOPT_XFERINFOFUNCTION, &IdleWatch::onProgress) &&
        set(curl, CURLOPT_XFERINFODATA, &watch) && set(curl, CURLOPT_NOPROGRESS, 0L) &&
        applyProxyChoice(curl, proxyServer);
    if (!configured) {
        return 0;
    }
    // A transfer that breaks part-way still delivers what arrived: the result code only
    // tells whether the response was complete, which is not this layer's business.
    if (curl_easy_perform(curl) == CURLE_OK) {
        sink.open();
    }
    return sink.opened() ? received.size() : 0;
}

}  // namespace velmora
