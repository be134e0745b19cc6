#include "rgb/RgbSockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace krm::rgb {

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr int kChunksPerWake = 4;      // then the others get their turn
constexpr int kSendBuffer = 32 * 1024; // little room in the kernel: a client that does not read shows soon
constexpr int kBacklog = 8;

std::string peerOf(const sockaddr_storage& a) {
    char host[INET6_ADDRSTRLEN] = "?";
    std::uint16_t port = 0;
    if (a.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(a);
        ::inet_ntop(AF_INET, &in.sin_addr, host, sizeof host);
        port = ntohs(in.sin_port);
        return std::string(host) + ":" + std::to_string(port);
    }
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(a);
    ::inet_ntop(AF_INET6, &in6.sin6_addr, host, sizeof host);
    return "[" + std::string(host) + "]:" + std::to_string(ntohs(in6.sin6_port));
}

} // namespace

RgbSockets::~RgbSockets() {
    for (const auto& [fd, id] : clients_) ::close(fd);
    if (listener_ >= 0) ::close(listener_);
}

bool RgbSockets::listen(const std::string& address, std::uint16_t port, std::string& error) {
    const std::string host = address == "localhost" ? "127.0.0.1" : address;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); rc != 0) {
        error = "'" + address + "' is not an IP address (" + ::gai_strerror(rc) + ")";
        return false;
    }
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    const bool ok = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                    ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, kBacklog) == 0;
    const int why = errno;
    ::freeaddrinfo(found);
    if (!ok) {
        if (fd >= 0) ::close(fd);
        error = "cannot listen on " + address + " port " + std::to_string(port) + ": " + std::strerror(why);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = bound.ss_family == AF_INET ? ntohs(reinterpret_cast<const sockaddr_in&>(bound).sin_port)
                                       : ntohs(reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
    listener_ = fd;
    return true;
}

std::vector<RgbSockets::Watch> RgbSockets::watches() const {
    std::vector<Watch> w;
    if (listener_ >= 0) w.push_back({listener_, false});
    for (const auto& [fd, id] : clients_) w.push_back({fd, !server_.output(id).empty()});
    return w;
}

void RgbSockets::ready(int fd, bool readable, bool writable) {
    if (fd == listener_) {
        if (readable) accept();
        return;
    }
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    const RgbServer::ConnectionId id = it->second;
    if (readable) read(fd, id);
    if (writable && clients_.count(fd)) send(fd, id);
    flush();
}

void RgbSockets::pollOnce(int timeoutMs) {
    std::vector<pollfd> fds;
    for (const Watch& w : watches())
        fds.push_back({w.fd, static_cast<short>(POLLIN | (w.write ? POLLOUT : 0)), 0});
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return;
    for (const pollfd& p : fds)
        if (p.revents)
            ready(p.fd, (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0, (p.revents & POLLOUT) != 0);
}

void RgbSockets::closeDropped() {
    for (const RgbServer::ConnectionId id : server_.takeDropped())
        for (const auto& [fd, client] : clients_)
            if (client == id) {
                close(fd);
                break;
            }
}

void RgbSockets::flush() {
    closeDropped();
    std::vector<std::pair<int, RgbServer::ConnectionId>> open(clients_.begin(), clients_.end());
    for (const auto& [fd, id] : open) send(fd, id);
}

void RgbSockets::accept() {
    for (;;) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd =
            ::accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
                log_(std::string("rgb: cannot accept a client: ") + std::strerror(errno));
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        const auto id = server_.connect(peerOf(peer));
        if (!id) {
            ::close(fd);
            continue;
        }
        const int on = 1, buffer = kSendBuffer;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        clients_[fd] = *id;
    }
}

void RgbSockets::read(int fd, RgbServer::ConnectionId id) {
    std::uint8_t chunk[kReadChunk];
    for (int i = 0; i < kChunksPerWake; ++i) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            server_.received(id, std::span<const std::uint8_t>(chunk, static_cast<std::size_t>(n)));
            closeDropped();
            if (!clients_.count(fd)) return;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n < 0 && errno == EINTR) continue;
        server_.disconnected(id);
        return close(fd);
    }
}

void RgbSockets::send(int fd, RgbServer::ConnectionId id) {
    for (auto out = server_.output(id); !out.empty(); out = server_.output(id)) {
        const ssize_t n = ::send(fd, out.data(), out.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            server_.sent(id, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        server_.disconnected(id);
        return close(fd);
    }
}

void RgbSockets::close(int fd) {
    clients_.erase(fd);
    ::close(fd);
}

} // namespace krm::rgb
