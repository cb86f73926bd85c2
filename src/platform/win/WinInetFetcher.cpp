#include "win/WinInetFetcher.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <array>
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

#include "http/Redirects.h"
#include "http/ResponseHead.h"
#include "win/WinText.h"

namespace velmora {

namespace {

constexpr const wchar_t* kUserAgent = L"wininet";
// Large reads: fewer trips through WinINet and the receiver on a large package.
constexpr DWORD kReadBytes = 512 * 1024;
// Never into WinINet's cache, which would keep a second copy of every package in the
// user's profile; redirects are followed here, where their targets can be checked; no
// cookies, no dialog from a program that runs in the tray, and no answer to an NTLM or
// Negotiate challenge, which WinINet would otherwise give with the user's own logon to
// whichever server asks.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_AUTH;
// From the server, past every cache on the way: reloaded, and with the no-cache headers.
constexpr DWORD kBypassCacheFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE;
// WinINet undoes the chunked transfer coding without a word when a chunked body is cut short
// or badly framed: a last chunk that stops early, a missing last chunk, a chunk size too
// large for its counter or not hexadecimal, all end in reads that look like the body's end
// (seen under Wine; Windows' documentation promises nothing either way). Since its end
// cannot be confirmed, a chunked answer is never taken for a whole body. Asking in HTTP/1.0
// keeps a server that follows HTTP from chunking its answer at all: it sends a length or
// closes the connection at the end instead.
constexpr const wchar_t* kHttpVersion = L"HTTP/1.0";

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

// The status line and header lines of the response as they came.
std::optional<ResponseHead> responseHead(HINTERNET request) {
    std::wstring text(1024, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (::HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size, nullptr)) {
            text.resize(size / sizeof(wchar_t));
            return ResponseHead::parse(narrow(text));
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return std::nullopt;
        }
        text.resize(size / sizeof(wchar_t) + 1);
    }
    return std::nullopt;
}

// Over https, WinINet hands over a proxy's own answer to a tunnel it refused (a 502 page,
// say) as if the host had sent it; only an answer that came over TLS is the host's.
bool cameOverTls(HINTERNET request) {
    DWORD flags = 0;
    DWORD size = sizeof flags;
    return ::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) &&
           (flags & SECURITY_FLAG_SECURE) != 0;
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
             FetchTimeouts timeouts, CacheUse cache)
        : url_(std::move(url)),
          maxBytes_(maxBytes),
          timeouts_(timeouts),
          cache_(cache),
          receiver_(&receiver) {}

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

    // On the caller's thread: the outcome; Cancelled as soon as cancel() is called, Failed
    // as soon as a response head is overdue. HttpSendRequest waits for the head with only a
    // per-read time-out, which a head sent a byte at a time never reaches, so the bound is
    // kept here, where the wait can end whether or not closing the handles ends that call.
    FetchStatus outcome() {
        FetchStatus abandoned = FetchStatus::Cancelled;
        {
            std::unique_lock lock(mutex_);
            while (!done_ && !cancelled_ && !headOverdue()) {
                if (headDeadline_) {
                    changed_.wait_until(lock, *headDeadline_);
                } else {
                    changed_.wait(lock);
                }
            }
            if (done_) {
                if (failure_) {
                    std::rethrow_exception(failure_);
                }
                return cancelled_ ? FetchStatus::Cancelled : status_;
            }
            if (!cancelled_) {
                abandoned = FetchStatus::Failed;
            }
        }
        handles_.closeAll();
        // Waits for a piece being handed over, if any; none is handed over after this.
        const std::lock_guard lock(receiverMutex_);
        receiver_ = nullptr;
        return abandoned;
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
    using Clock = std::chrono::steady_clock;

    bool cancelled() {
        const std::lock_guard lock(mutex_);
        return cancelled_;
    }

    // From the request until its head is in, the caller waits no longer than the bound.
    void awaitHead(bool awaiting) {
        {
            const std::lock_guard lock(mutex_);
            headDeadline_.reset();
            if (awaiting) {
                headDeadline_ = Clock::now() + timeouts_.responseHead;
            }
        }
        changed_.notify_all();
    }

    bool headOverdue() const { return headDeadline_ && Clock::now() >= *headDeadline_; }

    FetchStatus fetchFollowingRedirects();
    HINTERNET sendRequest(HINTERNET session, const std::wstring& url);
    FetchStatus receiveBody(HINTERNET request, const BodyFraming& framing);

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
    const CacheUse cache_;
    OpenHandles handles_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool cancelled_ = false;
    bool done_ = false;
    std::optional<Clock::time_point> headDeadline_;
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
    for (int followed = 0;; ++followed) {
        HINTERNET request = sendRequest(session, url);
        const std::optional<ResponseHead> head =
            request != nullptr ? responseHead(request) : std::nullopt;
        if (!head) {
            return FetchStatus::Failed;
        }
        const std::optional<std::string> location = head->redirectLocation();
        if (!location) {
            return receiveBody(request, head->framing());
        }
        const std::optional<std::wstring> next = resolve(url, widen(*location));
        if (!next || !mayFollowRedirect(narrow(url), narrow(*next), followed)) {
            return FetchStatus::Failed;
        }
        // The redirect's own body is never read: its connection goes with its handle.
        handles_.close(OpenHandles::Request);
        handles_.close(OpenHandles::Connection);
        url = *next;
    }
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
    const DWORD flags = kRequestFlags | (cache_ == CacheUse::Bypass ? kBypassCacheFlags : 0) |
                        (target->secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = ::HttpOpenRequestW(connection, L"GET", target->pathAndQuery.c_str(),
                                           kHttpVersion, nullptr, nullptr, flags, 0);
    if (request == nullptr || !handles_.keep(OpenHandles::Request, request)) {
        return nullptr;
    }
    // Again on the request, which Windows has from the session already but Wine's WinINet
    // does not: where an option does not apply to a request, the session's stands.
    applyTimeouts(request, timeouts_);
    awaitHead(true);
    const bool answered = ::HttpSendRequestW(request, nullptr, 0, nullptr, 0) != FALSE;
    awaitHead(false);
    return answered && (!target->secure || cameOverTls(request)) ? request : nullptr;
}

FetchStatus WinInetFetcher::Transfer::receiveBody(HINTERNET request, const BodyFraming& framing) {
    // A chunked body's end cannot be confirmed (see kHttpVersion).
    const bool unusable = framing.kind == BodyFraming::Kind::Broken ||
                          framing.kind == BodyFraming::Kind::Chunked ||
                          (framing.kind == BodyFraming::Kind::Length && framing.length > maxBytes_);
    if (unusable) {
        return FetchStatus::Failed;
    }
    std::optional<std::uint64_t> announced;
    if (framing.kind == BodyFraming::Kind::Length) {
        announced = framing.length;
        announce(framing.length);
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
    return announced && received != *announced ? FetchStatus::Failed : FetchStatus::Complete;
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
                                  BodyReceiver& receiver, CacheUse cache) {
    auto transfer = std::make_shared<Transfer>(sourceUrl, maxBytes, receiver, timeouts_, cache);
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
