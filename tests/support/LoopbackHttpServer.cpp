#include "support/LoopbackHttpServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace velmora::test {

namespace {

// The few places where Winsock and POSIX sockets differ.
#ifdef _WIN32
using Transferred = int;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
constexpr int kShutdownSend = SD_SEND;

int socketError() {
    return ::WSAGetLastError();
}

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(socketError(), std::system_category(), what);
}

bool isTransient(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

bool connectIsPending(int error) {
    return error == WSAEWOULDBLOCK;
}

void closeSocket(SocketHandle socket) {
    ::closesocket(socket);
}

int pollSockets(pollfd* sockets, unsigned long count, int timeoutMs) {
    return ::WSAPoll(sockets, count, timeoutMs);
}

void makeNonBlocking(SocketHandle socket) {
    u_long on = 1;
    ::ioctlsocket(socket, FIONBIO, &on);
}

SocketHandle newTcpSocket() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    static_cast<void>(started);
    return ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
}

// Without SO_REUSEADDR, which on Windows would let another socket share the port.
void allowAddressReuse(SocketHandle /*socket*/) {}

SocketHandle acceptConnection(SocketHandle listener) {
    const SocketHandle connection = ::accept(listener, nullptr, nullptr);
    if (connection != kNoSocket) {
        makeNonBlocking(connection);
    }
    return connection;
}

Transferred sendSome(SocketHandle socket, std::string_view bytes) {
    const auto size = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
    return ::send(socket, bytes.data(), size, 0);
}

Transferred receiveSome(SocketHandle socket, char* buffer, std::size_t size) {
    return ::recv(socket, buffer, static_cast<int>(size), 0);
}

#else
using Transferred = ssize_t;
constexpr SocketHandle kNoSocket = -1;
constexpr int kShutdownSend = SHUT_WR;

int socketError() {
    return errno;
}

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

bool isTransient(int error) {
    return error == EAGAIN || error == EINTR;
}

bool connectIsPending(int error) {
    return error == EINPROGRESS;
}

void closeSocket(SocketHandle socket) {
    ::close(socket);
}

int pollSockets(pollfd* sockets, nfds_t count, int timeoutMs) {
    return ::poll(sockets, count, timeoutMs);
}

void makeNonBlocking(SocketHandle socket) {
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
}

SocketHandle newTcpSocket() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

void allowAddressReuse(SocketHandle socket) {
    const int on = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

SocketHandle acceptConnection(SocketHandle listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

Transferred sendSome(SocketHandle socket, std::string_view bytes) {
    return ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

Transferred receiveSome(SocketHandle socket, char* buffer, std::size_t size) {
    return ::recv(socket, buffer, size, MSG_DONTWAIT);
}
#endif

constexpr std::size_t kMaxRequestHead = 64 * 1024;

sockaddr_in loopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A socket bound to 127.0.0.1 and an ephemeral port; returns the socket and its port.
std::pair<SocketHandle, std::uint16_t> bindLoopback() {
    const SocketHandle fd = newTcpSocket();
    if (fd == kNoSocket) {
        throwSystemError("socket");
    }
    allowAddressReuse(fd);
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closeSocket(fd);
        throwSystemError("bind");
    }
    return {fd, ntohs(address.sin_port)};
}

// Waits until `fd` is ready for `events`; false when the server is stopping or on error.
bool waitFor(SocketHandle fd, short events, SocketHandle stopEvent, int timeoutMs = -1) {
    pollfd fds[2] = {{fd, events, 0}, {stopEvent, POLLIN, 0}};
    for (;;) {
        const int ready = pollSockets(fds, 2, timeoutMs);
        if (ready < 0 && socketError() == EINTR) {
            continue;
        }
        if (ready <= 0 || (fds[1].revents & POLLIN) != 0) {
            return false;
        }
        return (fds[0].revents & (events | POLLHUP | POLLERR)) != 0;
    }
}

bool sendAll(SocketHandle fd, std::string_view bytes, SocketHandle stopEvent) {
    while (!bytes.empty()) {
        if (!waitFor(fd, POLLOUT, stopEvent)) {
            return false;
        }
        const Transferred sent = sendSome(fd, bytes);
        if (sent < 0) {
            if (isTransient(socketError())) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Reads and throws away whatever comes until the client closes or the server stops.
void drainUntilClosed(SocketHandle fd, SocketHandle stopEvent, int timeoutMs = -1) {
    char scratch[4096];
    while (waitFor(fd, POLLIN, stopEvent, timeoutMs)) {
        const Transferred got = receiveSome(fd, scratch, sizeof scratch);
        if (got == 0 || (got < 0 && !isTransient(socketError()))) {
            return;
        }
    }
}

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

RecordedRequest parseRequestHead(std::string_view head) {
    RecordedRequest request;
    std::size_t lineEnd = head.find("\r\n");
    const std::string_view requestLine = head.substr(0, lineEnd);
    const auto firstSpace = requestLine.find(' ');
    const auto secondSpace = requestLine.find(' ', firstSpace + 1);
    request.method = std::string(requestLine.substr(0, firstSpace));
    request.target = std::string(requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1));
    request.version = std::string(requestLine.substr(secondSpace + 1));
    while (lineEnd != std::string_view::npos && lineEnd + 2 < head.size()) {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string_view line = head.substr(start, lineEnd - start);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos) {
            request.headers.emplace_back(trim(line.substr(0, colon)), trim(line.substr(colon + 1)));
        }
    }
    return request;
}

// Reads one request head (and any request body it announces).
std::optional<RecordedRequest> readRequest(SocketHandle fd, SocketHandle stopEvent) {
    std::string received;
    char chunk[4096];
    std::size_t headEnd = std::string::npos;
    while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
        if (received.size() > kMaxRequestHead || !waitFor(fd, POLLIN, stopEvent)) {
            return std::nullopt;
        }
        const Transferred got = receiveSome(fd, chunk, sizeof chunk);
        if (got == 0 || (got < 0 && !isTransient(socketError()))) {
            return std::nullopt;
        }
        if (got > 0) {
            received.append(chunk, static_cast<std::size_t>(got));
        }
    }
    RecordedRequest request = parseRequestHead(std::string_view(received).substr(0, headEnd));
    const std::optional<std::string> length = request.header("Content-Length");
    std::size_t bodyLeft = length ? std::stoul(*length) : 0;
    bodyLeft -= std::min(bodyLeft, received.size() - headEnd - 4);
    while (bodyLeft > 0 && waitFor(fd, POLLIN, stopEvent)) {
        const Transferred got = receiveSome(fd, chunk, std::min(sizeof chunk, bodyLeft));
        if (got == 0 || (got < 0 && !isTransient(socketError()))) {
            break;
        }
        bodyLeft -= static_cast<std::size_t>(std::max<Transferred>(got, 0));
    }
    return request;
}

std::string reasonPhrase(int code) {
    switch (code) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

std::string responseHead(const HttpResponse& response) {
    std::string head = "HTTP/1.1 " + std::to_string(response.statusCode) + " " +
                       reasonPhrase(response.statusCode) + "\r\n";
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
    }
    if (response.contentLength) {
        head += "Content-Length: " + std::to_string(*response.contentLength) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    return head;
}

// Sleeps up to `waitMs`; true when the server is stopping.
bool stopRequested(SocketHandle stopEvent, int waitMs) {
    pollfd stop{stopEvent, POLLIN, 0};
    return pollSockets(&stop, 1, waitMs) > 0;
}

// The head as scripted: at once, or a byte at a time.
bool sendHead(SocketHandle fd, const HttpResponse& response, SocketHandle stopEvent) {
    const std::string head = response.rawBytes ? *response.rawBytes : responseHead(response);
    if (response.headStepMs == 0) {
        return sendAll(fd, head, stopEvent);
    }
    for (const char byte : head) {
        if (stopRequested(stopEvent, response.headStepMs) ||
            !sendAll(fd, std::string_view(&byte, 1), stopEvent)) {
            return false;
        }
    }
    return true;
}

// Waits until the peer's kernel has acknowledged everything sent, so that a reset that
// follows cannot overtake the data, and gives the client a moment to read it.
void waitUntilAcknowledged(SocketHandle fd, SocketHandle stopEvent) {
#ifdef _WIN32
    // Winsock cannot tell what the peer has acknowledged: on loopback a moment is plenty.
    static_cast<void>(fd);
    stopRequested(stopEvent, 200);
#else
    for (int tries = 0; tries < 500; ++tries) {
        int unacknowledged = 0;
        if (::ioctl(fd, SIOCOUTQ, &unacknowledged) != 0 || unacknowledged == 0) {
            break;
        }
        if (stopRequested(stopEvent, 10)) {
            return;
        }
    }
    stopRequested(stopEvent, 50);
#endif
}

void resetConnection(SocketHandle fd) {
    const linger abortive{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
                 sizeof abortive);
}

#ifdef _WIN32
// Winsock has no eventfd: a datagram socket connected to itself turns readable once it has
// sent itself a byte.
SocketHandle newStopEvent() {
    const SocketHandle event = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = loopbackAddress(0);
    int length = sizeof address;
    if (event == kNoSocket ||
        ::bind(event, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(event, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::connect(event, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (event != kNoSocket) {
            closeSocket(event);
        }
        return kNoSocket;
    }
    return event;
}

void raiseStopEvent(SocketHandle event) {
    ::send(event, "!", 1, 0);
}
#else
SocketHandle newStopEvent() {
    return ::eventfd(0, EFD_CLOEXEC);
}

void raiseStopEvent(SocketHandle event) {
    const std::uint64_t stop = 1;
    [[maybe_unused]] const ssize_t written = ::write(event, &stop, sizeof stop);
}
#endif

}  // namespace

HttpResponse HttpResponse::ok(std::string body) {
    return status(200, std::move(body));
}

HttpResponse HttpResponse::status(int code, std::string body) {
    HttpResponse response;
    response.statusCode = code;
    response.contentLength = body.size();
    response.bodyBytesToSend = body.size();
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::redirect(int code, const std::string& location) {
    return status(code, "moved").header("Location", location);
}

HttpResponse HttpResponse::silence() {
    HttpResponse response;
    response.sendsHead = false;
    response.ending = Ending::Stall;
    return response;
}

HttpResponse HttpResponse::raw(std::string bytes) {
    HttpResponse response;
    response.rawBytes = std::move(bytes);
    return response;
}

HttpResponse& HttpResponse::header(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

HttpResponse& HttpResponse::declaredLength(std::size_t length) {
    contentLength = length;
    return *this;
}

HttpResponse& HttpResponse::withoutLength() {
    contentLength.reset();
    return *this;
}

HttpResponse& HttpResponse::thenStall(std::size_t bodyBytes) {
    bodyBytesToSend = std::min(bodyBytes, body.size());
    ending = Ending::Stall;
    return *this;
}

HttpResponse& HttpResponse::thenTrickle(std::size_t bodyBytes, std::size_t stepBytes, int stepMs) {
    bodyBytesToSend = std::min(bodyBytes, body.size());
    ending = Ending::Trickle;
    trickleStepBytes = std::max<std::size_t>(stepBytes, 1);
    trickleStepMs = stepMs;
    return *this;
}

HttpResponse& HttpResponse::slowHead(int stepMs) {
    headStepMs = stepMs;
    return *this;
}

HttpResponse& HttpResponse::thenReset(std::size_t bodyBytes) {
    bodyBytesToSend = std::min(bodyBytes, body.size());
    ending = Ending::Reset;
    return *this;
}

std::optional<std::string> RecordedRequest::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::string RecordedRequest::path() const {
    const auto scheme = target.find("://");
    if (target.starts_with("/") || scheme == std::string::npos) {
        return target;
    }
    const auto slash = target.find('/', scheme + 3);
    return slash == std::string::npos ? "/" : target.substr(slash);
}

LoopbackHttpServer::LoopbackHttpServer() {
    std::tie(listener_, port_) = bindLoopback();
    stopEvent_ = newStopEvent();
    if (stopEvent_ == kNoSocket || ::listen(listener_, SOMAXCONN) != 0) {
        closeSocket(listener_);
        throwSystemError("listen");
    }
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    raiseStopEvent(stopEvent_);
    acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    closeSocket(listener_);
    closeSocket(stopEvent_);
}

std::string LoopbackHttpServer::authority() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string LoopbackHttpServer::url(const std::string& path) const {
    return "http://" + authority() + path;
}

void LoopbackHttpServer::on(const std::string& path, HttpResponse response) {
    std::lock_guard lock(mutex_);
    routes_.insert_or_assign(path, std::move(response));
}

std::vector<RecordedRequest> LoopbackHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::connectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void LoopbackHttpServer::acceptLoop() {
    while (waitFor(listener_, POLLIN, stopEvent_)) {
        const SocketHandle connection = acceptConnection(listener_);
        if (connection == kNoSocket) {
            continue;
        }
        std::lock_guard lock(mutex_);
        ++connections_;
        workers_.emplace_back([this, connection] { serve(connection); });
    }
}

HttpResponse LoopbackHttpServer::responseFor(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto route = routes_.find(path);
    if (route != routes_.end()) {
        return route->second;
    }
    return HttpResponse::status(404, "<html><body><h1>404 Not Found</h1></body></html>");
}

void LoopbackHttpServer::serve(SocketHandle connection) {
    const std::optional<RecordedRequest> request = readRequest(connection, stopEvent_);
    if (request) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(*request);
        }
        const HttpResponse response = responseFor(request->path());
        const bool sent =
            !response.sendsHead ||
            (sendHead(connection, response, stopEvent_) &&
             sendAll(connection,
                     std::string_view(response.body).substr(0, response.bodyBytesToSend),
                     stopEvent_));
        if (sent && response.ending == HttpResponse::Ending::Reset) {
            waitUntilAcknowledged(connection, stopEvent_);
            resetConnection(connection);
        } else if (sent && response.ending == HttpResponse::Ending::Trickle) {
            std::string_view rest =
                std::string_view(response.body).substr(response.bodyBytesToSend);
            while (!rest.empty() && !stopRequested(stopEvent_, response.trickleStepMs)) {
                const std::size_t step = std::min(rest.size(), response.trickleStepBytes);
                if (!sendAll(connection, rest.substr(0, step), stopEvent_)) {
                    break;
                }
                rest.remove_prefix(step);
            }
            ::shutdown(connection, kShutdownSend);
        } else if (sent && response.ending == HttpResponse::Ending::Stall) {
            drainUntilClosed(connection, stopEvent_);
        } else if (sent) {
            ::shutdown(connection, kShutdownSend);
            drainUntilClosed(connection, stopEvent_, 5000);
        }
    }
    closeSocket(connection);
}

UnansweringPeer::UnansweringPeer() {
    std::tie(listener_, port_) = bindLoopback();
    if (::listen(listener_, 0) != 0) {
        closeSocket(listener_);
        throwSystemError("listen");
    }
    const sockaddr_in address = loopbackAddress(port_);
    // Connect until one attempt is left hanging: from then on the backlog is full.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const SocketHandle filler = newTcpSocket();
        if (filler == kNoSocket) {
            break;
        }
        fillers_.push_back(filler);
        makeNonBlocking(filler);
        if (::connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            continue;
        }
        pollfd pending{filler, POLLOUT, 0};
        if (!connectIsPending(socketError()) || pollSockets(&pending, 1, 300) == 0) {
            return;
        }
    }
    for (const SocketHandle filler : fillers_) {
        closeSocket(filler);
    }
    closeSocket(listener_);
    throw std::runtime_error("the backlog of the unanswering peer never filled");
}

UnansweringPeer::~UnansweringPeer() {
    for (const SocketHandle filler : fillers_) {
        closeSocket(filler);
    }
    closeSocket(listener_);
}

std::string UnansweringPeer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::uint16_t closedLoopbackPort() {
    const auto [fd, port] = bindLoopback();
    closeSocket(fd);
    return port;
}

std::string patternedBody(std::size_t size) {
    std::string body(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& byte : body) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return body;
}

}  // namespace velmora::test
