#include "pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        closeMaster();
        return;
    }
    termios tio{};
    tcgetattr(master_, &tio);
    cfmakeraw(&tio);
    tcsetattr(master_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    slave_ = QString::fromLocal8Bit(ptsname(master_));
    slaveFd_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

termios PtyPair::slaveSettings() const
{
    termios tio{};
    tcgetattr(slaveFd_, &tio);
    return tio;
}

PtyPair::~PtyPair()
{
    if (slaveFd_ >= 0)
        ::close(slaveFd_);
    closeMaster();
}

QByteArray PtyPair::readMaster()
{
    QByteArray out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, n);
    }
    return out;
}

void PtyPair::writeMaster(const QByteArray &bytes)
{
    if (master_ >= 0)
        (void)::write(master_, bytes.constData(), size_t(bytes.size()));
}

void PtyPair::closeMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}
