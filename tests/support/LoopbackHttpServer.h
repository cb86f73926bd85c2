#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace velmora::test {

// A socket as the system names it: SOCKET on Windows, a descriptor elsewhere.
#ifdef _WIN32
using SocketHandle = std::uintptr_t;
#else
using SocketHandle = int;
#endif

// What the server does with one request, built fluently:
//   HttpResponse::ok("body").header("X-A", "1").declaredLength(10)
//   HttpResponse::redirect(302, url)
//   HttpResponse::ok(big).thenStall(1000)
struct HttpResponse {
    // What happens to the connection once the bytes to send are out.
    enum class Ending {
        Close,    // an orderly close
        Stall,    // held open, silent, until the client goes or the server stops
        Reset,    // aborted with a TCP reset
        Trickle,  // the rest of the body sent a few bytes at a time, then an orderly close
    };

    static HttpResponse ok(std::string body);
    static HttpResponse status(int code, std::string body);
    static HttpResponse redirect(int code, const std::string& location);
    // Reads the request and never answers.
    static HttpResponse silence();
    // Answers with exactly these bytes, head and body as they stand, then closes: for
    // framing that no well-behaved server sends.
    static HttpResponse raw(std::string bytes);

    HttpResponse& header(std::string name, std::string value);
    // Sends this Content-Length instead of the body's real length.
    HttpResponse& declaredLength(std::size_t length);
    // Sends no Content-Length: the body ends where the connection closes.
    HttpResponse& withoutLength();
    // Sends the head and the first `bodyBytes` bytes of the body, then stalls or resets.
    HttpResponse& thenStall(std::size_t bodyBytes);
    HttpResponse& thenReset(std::size_t bodyBytes);
    // Sends the head and the first `bodyBytes` bytes, then the rest `stepBytes` at a time,
    // one step every `stepMs` milliseconds, until the body is out or the client goes.
    HttpResponse& thenTrickle(std::size_t bodyBytes, std::size_t stepBytes, int stepMs);
    // Sends the head one byte every `stepMs` milliseconds before the body.
    HttpResponse& slowHead(int stepMs);

    int statusCode = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::optional<std::size_t> contentLength;  // std::nullopt: no Content-Length header
    std::size_t bodyBytesToSend = 0;
    bool sendsHead = true;
    Ending ending = Ending::Close;
    std::size_t trickleStepBytes = 0;
    int trickleStepMs = 0;
    int headStepMs = 0;
    std::optional<std::string> rawBytes;
};

// One request as it arrived.
struct RecordedRequest {
    std::string method;
    std::string target;  // as sent: "/path" directly, "http://host:port/path" through a proxy
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name, compared without regard to ASCII case.
    std::optional<std::string> header(const std::string& name) const;
    // The path of the target, whichever form it was sent in.
    std::string path() const;
};

// An HTTP/1.1 server on 127.0.0.1 and an ephemeral port, running in its own threads and
// answering each path with the response scripted for it (unscripted paths get a 404 page).
// Every connection is closed after its response. It can also stand in for a proxy: a
// request in absolute form ("GET http://host/path") is answered by its path, and the
// recorded target shows that it came through a proxy.
class LoopbackHttpServer {
  public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "127.0.0.1:<port>"
    std::string authority() const;
    // "http://127.0.0.1:<port>" + path
    std::string url(const std::string& path) const;

    void on(const std::string& path, HttpResponse response);
    std::vector<RecordedRequest> requests() const;
    // How many connections were accepted so far.
    std::size_t connectionCount() const;

  private:
    void acceptLoop();
    void serve(SocketHandle connection);
    HttpResponse responseFor(const std::string& path) const;

    SocketHandle listener_;
    // Readable once the server is stopping.
    SocketHandle stopEvent_;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, HttpResponse> routes_;
    std::vector<RecordedRequest> requests_;
    std::size_t connections_ = 0;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A port on 127.0.0.1 that is listening but answers no new connection: its backlog is full
// and nobody accepts, so a further SYN goes unanswered, as with a host that has gone away.
class UnansweringPeer {
  public:
    UnansweringPeer();
    ~UnansweringPeer();
    UnansweringPeer(const UnansweringPeer&) = delete;
    UnansweringPeer& operator=(const UnansweringPeer&) = delete;

    std::string url(const std::string& path) const;

  private:
    SocketHandle listener_;
    std::uint16_t port_ = 0;
    std::vector<SocketHandle> fillers_;
};

// A port on 127.0.0.1 where nobody listens (bound once, then released).
std::uint16_t closedLoopbackPort();

// A body of `size` bytes that is not a repetition of a short pattern, so that a shifted,
// dropped or duplicated block shows in a comparison.
std::string patternedBody(std::size_t size);

}  // namespace velmora::test
