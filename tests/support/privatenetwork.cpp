#include "support/privatenetwork.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <cstring>

namespace {
QString failed(const char* step) {
    return QStringLiteral("%1: %2").arg(QLatin1String(step),
                                        QString::fromLocal8Bit(strerror(errno)));
}

bool writeFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return written;
}

bool bringLoopbackUp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = short(request.ifr_flags | IFF_UP);
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    if (fd >= 0)
        ::close(fd);
    return up;
}

// Mounts a file holding the lines over /etc/hosts. The file itself goes at once: the mount
// keeps it.
bool mountHosts(const QByteArray& hosts) {
    QByteArray path = QDir::tempPath().toLocal8Bit() + "/quorvel-hosts-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return false;
    const bool written = ::write(fd, hosts.constData(), size_t(hosts.size())) == hosts.size();
    ::close(fd);
    const bool mounted =
        written && ::mount(path.constData(), "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
    ::unlink(path.constData());
    return mounted;
}
}  // namespace

QString enterPrivateNetwork(const QByteArray& hosts) {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) != 0)
        return failed("unshare");
    if (!writeFile("/proc/self/setgroups", "deny") ||
        !writeFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
        !writeFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
        return failed("mapping the user to root");
    if (!bringLoopbackUp())
        return failed("bringing lo up");
    // Nothing mounted here may reach the machine's own mount namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || !mountHosts(hosts))
        return failed("mounting /etc/hosts");
    return {};
}
