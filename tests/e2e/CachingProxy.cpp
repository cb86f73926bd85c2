#include "e2e/CachingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "linux/UniqueFd.h"

namespace velmora::test {

namespace {

namespace fs = std::filesystem;

// Where Debian installs Squid; another installation is found on the PATH.
constexpr const char* kDebianSquid = "/usr/sbin/squid";
// The user Squid gives up root for, when the tests run as root.
constexpr uid_t kNobody = 65534;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A port of 127.0.0.1 that nothing listens on now.
int freePort() {
    const UniqueFd probe(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (!probe.valid() || ::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    return ntohs(address.sin_port);
}

bool accepts(int port) {
    const UniqueFd client(::socket(AF_INET, SOCK_STREAM, 0));
    const sockaddr_in address = loopback(port);
    return client.valid() && ::connect(client.get(), reinterpret_cast<const sockaddr*>(&address),
                                       sizeof address) == 0;
}

// Memory only, the parent as the one way out, nothing but 127.0.0.1 let in; no ICP, HTCP,
// pinger or network database, and an end at once on SIGTERM.
std::string configuration(const fs::path& folder, int port, int parentPort) {
    const std::string dir = folder.string();
    std::string text = "http_port 127.0.0.1:" + std::to_string(port) + "\n" +
                       "cache_peer 127.0.0.1 parent " + std::to_string(parentPort) +
                       " 0 no-query no-digest no-netdb-exchange name=mirror\n"
                       "never_direct allow all\n"
                       "acl loopback src 127.0.0.1\n"
                       "http_access allow loopback\n"
                       "http_access deny all\n"
                       "cache_mem 64 MB\n"
                       "maximum_object_size_in_memory 16 MB\n"
                       "pid_filename " +
                       dir + "/squid.pid\n" + "access_log stdio:" + dir + "/access.log\n" +
                       "cache_log " + dir + "/cache.log\n" + "coredump_dir " + dir + "\n" +
                       "cache_store_log none\n"
                       "netdb_filename none\n"
                       "pinger_enable off\n"
                       "icp_port 0\n"
                       "htcp_port 0\n"
                       "logfile_rotate 0\n"
                       "shutdown_lifetime 0 seconds\n";
    if (::geteuid() == 0) {
        text += "cache_effective_user nobody\n";
    }
    return text;
}

}  // namespace

CachingProxy::CachingProxy(int parentPort) : port_(freePort()) {
    std::string squid = kDebianSquid;
    if (::access(squid.c_str(), X_OK) != 0) {
        squid = "squid";
    }
    const fs::path config = folder_ / "squid.conf";
    writeFile(config, configuration(folder_.path(), port_, parentPort));
    if (::geteuid() == 0 && (::chown(folder_.path().c_str(), kNobody, 0) != 0 ||
                             ::chmod(folder_.path().c_str(), 0755) != 0)) {
        throw std::runtime_error("cannot give Squid its folder");
    }
    std::vector<std::string> arguments{squid, "-N", "-f", config.string()};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (accepts(port_)) {
            return;
        }
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error(
                "Squid did not start (is the Debian package squid "
                "installed? scripts/install-deps installs it): " +
                (fs::exists(folder_ / "cache.log") ? readFile(folder_ / "cache.log")
                                                   : std::string("no cache.log")));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    throw std::runtime_error("Squid did not start listening within 20 seconds");
}

CachingProxy::~CachingProxy() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

}  // namespace velmora::test
