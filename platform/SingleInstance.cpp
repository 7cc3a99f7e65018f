#include "platform/SingleInstance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace tabulo {
namespace {

constexpr int kWaitMs = 1000;
constexpr std::string_view kActivate = "activate\n";
constexpr std::string_view kTaken = "ok\n";
// A peer that sends more than this without the request is not one of ours.
constexpr std::size_t kMaxRequest = 256;

// The address of the socket file `path`; false when the path is too long for one.
bool AddressOf(const std::string& path, sockaddr_un& addr) {
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

int Socket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); }

// Waits until `fd` is ready for `events`, up to `ms` in all; false on a timeout or error.
bool WaitFor(int fd, short events, int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r > 0) return true;
        if (r == 0 || errno != EINTR) return false;
    }
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), name_(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    for (auto& [fd, peer] : peers_) {
        peer.notifier.reset();
        ::close(fd);
    }
    serverNotifier_.reset();
    if (server_ >= 0) {
        ::close(server_);
        ::unlink(path_.c_str());
    }
}

QString SingleInstance::ServerNameFor(const std::filesystem::path& programFolder) {
    // The folder may be long or hold any character: a hash keeps the name short and safe.
    const QByteArray folder = QByteArray::fromStdString(
        std::filesystem::weakly_canonical(programFolder).string());
    const QByteArray hash =
        QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("tabulo-%1-%2").arg(static_cast<qulonglong>(getuid())).arg(
        QString::fromLatin1(hash));
}

bool SingleInstance::AskRunningCopy() {
    sockaddr_un addr;
    if (!AddressOf((QDir::tempPath() + QLatin1Char('/') + name_).toStdString(), addr)) return false;
    const int fd = Socket();
    if (fd < 0) return false;
    int r;
    do r = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        ::close(fd);  // nobody listens (no file, or one left by a copy that crashed)
        return false;
    }
    // The request, then the first copy's answer once it has taken it.
    (void)::send(fd, kActivate.data(), kActivate.size(), MSG_NOSIGNAL);
    if (WaitFor(fd, POLLIN, kWaitMs)) {
        char answer[16];
        (void)::recv(fd, answer, sizeof answer, 0);
    }
    ::close(fd);
    return true;
}

bool SingleInstance::Listen() {
    const std::string path = (QDir::tempPath() + QLatin1Char('/') + name_).toStdString();
    sockaddr_un addr;
    if (!AddressOf(path, addr)) return false;
    const int fd = Socket();
    if (fd < 0) return false;
    // Only this user may connect: the file is made without access for others.
    const mode_t old = ::umask(077);
    int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    if (bound != 0 && errno == EADDRINUSE) {
        // A socket left behind by a copy that crashed: nobody answered it above.
        ::unlink(path.c_str());
        bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    }
    ::umask(old);
    if (bound != 0 || ::listen(fd, 8) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    server_ = fd;
    path_ = path;
    serverNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(serverNotifier_.get(), &QSocketNotifier::activated, this, [this] { TakeConnections(); });
    return true;
}

bool SingleInstance::BecomePrimary() {
    if (AskRunningCopy()) return false;
    Listen();  // when it cannot listen the program runs on; only the hand-over is lost
    return true;
}

void SingleInstance::TakeConnections() {
    for (;;) {
        const int peer = ::accept4(server_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer < 0) {
            if (errno == EINTR) continue;
            return;  // none waiting (EAGAIN), or one that went away
        }
        Peer& p = peers_[peer];
        p.notifier = std::make_unique<QSocketNotifier>(peer, QSocketNotifier::Read);
        connect(p.notifier.get(), &QSocketNotifier::activated, this, [this, peer] { ReadFrom(peer); });
        // The request may already be waiting when the connection is taken.
        ReadFrom(peer);
    }
}

void SingleInstance::ReadFrom(int peer) {
    auto it = peers_.find(peer);
    if (it == peers_.end()) return;
    std::string& received = it->second.received;
    bool ended = false;
    char buffer[128];
    for (;;) {
        const ssize_t got = ::recv(peer, buffer, sizeof buffer, 0);
        if (got > 0) {
            received.append(buffer, static_cast<std::size_t>(got));
            if (received.size() > kMaxRequest) return Drop(peer);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        // Nothing more for now; or the other copy closed, or the connection failed.
        ended = !(got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
        break;
    }
    if (received.find(kActivate.substr(0, kActivate.size() - 1)) == std::string::npos) {
        if (ended) Drop(peer);
        return;
    }
    (void)::send(peer, kTaken.data(), kTaken.size(), MSG_NOSIGNAL);
    Drop(peer);
    emit activationRequested();
}

void SingleInstance::Drop(int peer) {
    auto it = peers_.find(peer);
    if (it == peers_.end()) return;
    // The notifier is let go before its descriptor is closed; it may be the one that
    // called, so it is deleted once control is back in the event loop.
    it->second.notifier->setEnabled(false);
    it->second.notifier.release()->deleteLater();
    peers_.erase(it);
    ::close(peer);
}

}  // namespace tabulo
