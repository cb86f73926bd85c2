#include "win/WinInetFetcher.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "win/WinText.h"

namespace velmora {

namespace {

constexpr const wchar_t* kUserAgent = L"wininet";
constexpr int kMaxRedirects = 10;
// Large reads: fewer trips through WinINet and the receiver on a large package.
constexpr DWORD kReadBytes = 512 * 1024;
// Always from the server, never into the cache; redirects are followed here, where their
// targets can be checked; no cookies, and no dialog from a program that runs in the tray.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;

bool setOption(HINTERNET handle, DWORD option, DWORD value) {
    return ::InternetSetOptionW(handle, option, &value, sizeof value) != FALSE;
}

// WinINet's receive time-out applies to each wait for data, as libcurl's idle check does;
// one connection attempt keeps the connect limit what it says.
bool applyTimeouts(HINTERNET handle, const FetchTimeouts& timeouts) {
    const auto receive = static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(timeouts.receive).count());
    // Each one tried, whether or not the one before it took.
    bool applied = setOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT,
                             static_cast<DWORD>(timeouts.connect.count()));
    applied = setOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, receive) && applied;
    applied = setOption(handle, INTERNET_OPTION_SEND_TIMEOUT, receive) && applied;
    return setOption(handle, INTERNET_OPTION_CONNECT_RETRIES, 1) && applied;
}

// What a request needs of its URL.
struct RequestTarget {
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring pathAndQuery;  // never the fragment, which stays with the client
    bool secure = false;
};

// Only a web URL: a package never comes from an ftp or file URL, which WinINet would open.
std::optional<RequestTarget> requestTarget(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    // Non-zero lengths with null pointers: point into `url`.
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.dwHostNameLength == 0) {
        return std::nullopt;
    }
    RequestTarget target;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (parts.lpszUrlPath != nullptr) {
        target.pathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    }
    if (parts.lpszExtraInfo != nullptr) {
        target.pathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    }
    target.pathAndQuery = target.pathAndQuery.substr(0, target.pathAndQuery.find(L'#'));
    if (target.pathAndQuery.empty()) {
        target.pathAndQuery = L"/";
    }
    return target;
}

std::optional<DWORD> statusCode(HINTERNET request) {
    DWORD code = 0;
    DWORD size = sizeof code;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                          nullptr)) {
        return std::nullopt;
    }
    return code;
}

// A response header as text; std::nullopt when the response has none.
std::optional<std::wstring> headerText(HINTERNET request, DWORD header) {
    std::wstring text(64, L'\0');
    for (;;) {
        auto size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (::HttpQueryInfoW(request, header, text.data(), &size, nullptr)) {
            text.resize(size / sizeof(wchar_t));
            return text;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return std::nullopt;
        }
        text.resize(size / sizeof(wchar_t) + 1);
    }
}

// The URL a redirect leads to; std::nullopt for a final response. A redirect is a response
// that libcurl would follow: a redirect status with a Location.
std::optional<std::wstring> redirectLocation(HINTERNET request) {
    const std::optional<DWORD> code = statusCode(request);
    const bool redirect =
        code && (*code == 301 || *code == 302 || *code == 303 || *code == 307 || *code == 308);
    return redirect ? headerText(request, HTTP_QUERY_LOCATION) : std::nullopt;
}

// `location` read against the URL that gave it (it may be relative), not encoded again.
std::optional<std::wstring> resolve(const std::wstring& base, const std::wstring& location) {
    std::wstring combined(base.size() + location.size() + 64, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto size = static_cast<DWORD>(combined.size());
        if (::InternetCombineUrlW(base.c_str(), location.c_str(), combined.data(), &size,
                                  ICU_NO_ENCODE)) {
            combined.resize(size);
            return combined;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return std::nullopt;
        }
        combined.resize(size + 1);
    }
    return std::nullopt;
}

// The Content-Length of the final response, read as text: the numeric form stops at 4 GiB.
struct AnnouncedLength {
    bool malformed = false;
    std::optional<std::uint64_t> length;
};

AnnouncedLength announcedLength(HINTERNET request) {
    const std::optional<std::wstring> text = headerText(request, HTTP_QUERY_CONTENT_LENGTH);
    if (!text) {
        return {};
    }
    const std::string digits = narrow(*text);
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return {true, std::nullopt};
    }
    return {false, length};
}

// Ends a transfer whose average speed over a whole window stays below the floor, as
// libcurl's low-speed limit does: the receive time-out alone lets a trickle of a byte
// every few seconds run on for ever.
class SpeedFloor {
  public:
    explicit SpeedFloor(const FetchTimeouts& timeouts)
        : window_(timeouts.lowSpeedWindow),
          minimumBytes_(static_cast<std::uint64_t>(timeouts.lowSpeedBytesPerSecond) *
                        static_cast<std::uint64_t>(timeouts.lowSpeedWindow.count())),
          windowStart_(Clock::now()) {}

    bool tooSlow(std::uint64_t receivedSoFar) {
        const Clock::time_point now = Clock::now();
        if (now - windowStart_ < window_) {
            return false;
        }
        const bool slow = receivedSoFar - bytesAtWindowStart_ < minimumBytes_;
        windowStart_ = now;
        bytesAtWindowStart_ = receivedSoFar;
        return slow;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::chrono::seconds window_;
    std::uint64_t minimumBytes_;
    Clock::time_point windowStart_;
    std::uint64_t bytesAtWindowStart_ = 0;
};

// The handles of one transfer. Closing them is how another thread ends a blocking WinINet
// call, so cancel() and the transfer both close them, and each is closed exactly once, by
// whichever comes first: a handle closed twice may already be someone else's.
class OpenHandles {
  public:
    enum Slot : std::size_t { Session, Connection, Request };

    OpenHandles() = default;
    ~OpenHandles() { closeAll(); }
    OpenHandles(const OpenHandles&) = delete;
    OpenHandles& operator=(const OpenHandles&) = delete;

    // Keeps `handle` in `slot` for closing; false, with the handle closed, once closeAll()
    // has shut the door.
    bool keep(Slot slot, HINTERNET handle) {
        const std::lock_guard lock(mutex_);
        if (shut_) {
            ::InternetCloseHandle(handle);
            return false;
        }
        closeLocked(slot);
        handles_[slot] = handle;
        return true;
    }

    void close(Slot slot) {
        const std::lock_guard lock(mutex_);
        closeLocked(slot);
    }

    // The request first: closing a handle may close the handles opened from it.
    void closeAll() {
        const std::lock_guard lock(mutex_);
        shut_ = true;
        closeLocked(Request);
        closeLocked(Connection);
        closeLocked(Session);
    }

  private:
    void closeLocked(Slot slot) {
        if (handles_[slot] != nullptr) {
            ::InternetCloseHandle(std::exchange(handles_[slot], nullptr));
        }
    }

    std::mutex mutex_;
    bool shut_ = false;
    std::array<HINTERNET, 3> handles_{};
};

}  // namespace

// One fetch, shared by the thread that runs it and the caller that waits for it, so that
// either may go first.
class WinInetFetcher::Transfer {
  public:
    Transfer(std::string url, std::uint64_t maxBytes, BodyReceiver& receiver,
             FetchTimeouts timeouts)
        : url_(std::move(url)), maxBytes_(maxBytes), timeouts_(timeouts), receiver_(&receiver) {}

    // On the transfer's thread.
    void run() {
        FetchStatus status = FetchStatus::Failed;
        std::exception_ptr failure;
        try {
            status = fetchFollowingRedirects();
        } catch (...) {
            failure = std::current_exception();
        }
        handles_.closeAll();
        {
            const std::lock_guard lock(mutex_);
            status_ = status;
            failure_ = failure;
            done_ = true;
        }
        changed_.notify_all();
    }

    // On the caller's thread: the outcome, or Cancelled as soon as cancel() is called.
    FetchStatus outcome() {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return done_ || cancelled_; });
            if (done_) {
                if (failure_) {
                    std::rethrow_exception(failure_);
                }
                return cancelled_ ? FetchStatus::Cancelled : status_;
            }
        }
        // Waits for a piece being handed over, if any; none is handed over after this.
        const std::lock_guard lock(receiverMutex_);
        receiver_ = nullptr;
        return FetchStatus::Cancelled;
    }

    // On any thread.
    void cancel() {
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        handles_.closeAll();
        changed_.notify_all();
    }

  private:
    bool cancelled() {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }

    FetchStatus fetchFollowingRedirects();
    HINTERNET sendRequest(HINTERNET session, const std::wstring& url);
    FetchStatus receiveBody(HINTERNET request);

    void announce(std::uint64_t length) {
        const std::lock_guard lock(receiverMutex_);
        if (receiver_ != nullptr) {
            receiver_->expectLength(length);
        }
    }

    bool deliver(std::span<const std::uint8_t> piece) {
        const std::lock_guard lock(receiverMutex_);
        return receiver_ != nullptr && receiver_->receive(piece);
    }

    const std::string url_;
    const std::uint64_t maxBytes_;
    const FetchTimeouts timeouts_;
    OpenHandles handles_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool cancelled_ = false;
    bool done_ = false;
    FetchStatus status_ = FetchStatus::Failed;
    std::exception_ptr failure_;

    // Null once the caller has gone.
    std::mutex receiverMutex_;
    BodyReceiver* receiver_;
};

FetchStatus WinInetFetcher::Transfer::fetchFollowingRedirects() {
    std::wstring url = widen(url_);
    if (!requestTarget(url)) {
        return FetchStatus::Failed;
    }
    HINTERNET session =
        ::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr || !handles_.keep(OpenHandles::Session, session) ||
        !applyTimeouts(session, timeouts_)) {
        return FetchStatus::Failed;
    }
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        HINTERNET request = sendRequest(session, url);
        if (request == nullptr) {
            return FetchStatus::Failed;
        }
        const std::optional<std::wstring> location = redirectLocation(request);
        if (!location) {
            return receiveBody(request);
        }
        const std::optional<std::wstring> next = resolve(url, *location);
        if (!next) {
            return FetchStatus::Failed;
        }
        // The redirect's own body is never read: its connection goes with its handle.
        handles_.close(OpenHandles::Request);
        handles_.close(OpenHandles::Connection);
        url = *next;
    }
    return FetchStatus::Failed;
}

HINTERNET WinInetFetcher::Transfer::sendRequest(HINTERNET session, const std::wstring& url) {
    const std::optional<RequestTarget> target = requestTarget(url);
    if (!target) {
        return nullptr;
    }
    HINTERNET connection = ::InternetConnectW(session, target->host.c_str(), target->port, nullptr,
                                              nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr || !handles_.keep(OpenHandles::Connection, connection)) {
        return nullptr;
    }
    const DWORD flags = kRequestFlags | (target->secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = ::HttpOpenRequestW(connection, L"GET", target->pathAndQuery.c_str(),
                                           nullptr, nullptr, nullptr, flags, 0);
    if (request == nullptr || !handles_.keep(OpenHandles::Request, request)) {
        return nullptr;
    }
    // Again on the request, which Windows has from the session already but Wine's WinINet
    // does not: where an option does not apply to a request, the session's stands.
    applyTimeouts(request, timeouts_);
    if (!::HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
        return nullptr;
    }
    return request;
}

FetchStatus WinInetFetcher::Transfer::receiveBody(HINTERNET request) {
    const AnnouncedLength announced = announcedLength(request);
    if (announced.malformed || (announced.length && *announced.length > maxBytes_)) {
        return FetchStatus::Failed;
    }
    if (announced.length) {
        announce(*announced.length);
    }
    SpeedFloor floor(timeouts_);
    std::vector<std::uint8_t> buffer(kReadBytes);
    std::uint64_t received = 0;
    for (;;) {
        // Asking what has arrived first makes each read return what is there: a plain read
        // waits until the whole buffer is full, however slowly it fills.
        DWORD available = 0;
        if (cancelled() || !::InternetQueryDataAvailable(request, &available, 0, 0)) {
            return FetchStatus::Failed;
        }
        if (available == 0) {
            break;
        }
        DWORD read = 0;
        if (cancelled() ||
            !::InternetReadFile(request, buffer.data(), std::min(available, kReadBytes), &read)) {
            return FetchStatus::Failed;
        }
        if (read == 0) {
            break;
        }
        if (read > maxBytes_ - received) {
            return FetchStatus::Failed;
        }
        received += read;
        if (!deliver({buffer.data(), read})) {
            return FetchStatus::Refused;
        }
        if (floor.tooSlow(received)) {
            return FetchStatus::Failed;
        }
    }
    // WinINet ends a body cut short of its announced length as if it were whole.
    return announced.length && received != *announced.length ? FetchStatus::Failed
                                                             : FetchStatus::Complete;
}

WinInetFetcher::WinInetFetcher(FetchTimeouts timeouts) : timeouts_(timeouts) {}

// A transfer still under way (only ever a cancelled one) ends by itself.
WinInetFetcher::~WinInetFetcher() = default;

void WinInetFetcher::cancel() {
    cancelled_ = true;
    const std::lock_guard lock(mutex_);
    if (current_) {
        current_->cancel();
    }
}

FetchStatus WinInetFetcher::fetch(const std::string& sourceUrl, std::uint64_t maxBytes,
                                  BodyReceiver& receiver) {
    auto transfer = std::make_shared<Transfer>(sourceUrl, maxBytes, receiver, timeouts_);
    {
        // cancel() marks the fetcher cancelled before it looks for a transfer here.
        const std::lock_guard lock(mutex_);
        if (cancelled_) {
            return FetchStatus::Cancelled;
        }
        current_ = transfer;
    }
    try {
        std::thread([transfer] { transfer->run(); }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the transfer holds this one instead.
        transfer->run();
    }
    // The transfer, which may outlive this call, is forgotten on every way out of it.
    struct Forget {
        WinInetFetcher& fetcher;
        ~Forget() {
            const std::lock_guard lock(fetcher.mutex_);
            fetcher.current_.reset();
        }
    } forget{*this};
    return transfer->outcome();
}

}  // namespace velmora
