// tavirs102-sim: the sensor model on a serial line.
//
// Without --device it creates a pseudo-terminal, prints the path of its slave
// side on one line and serves the sensor there; the program (or any terminal
// program set to 115200 7O1) opens that path like a serial port. With
// --device PATH it serves a real serial device instead, for bench tests
// through a null-modem cable. Runs until SIGINT or SIGTERM.

#include "sim/sensor_model.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int ACTIVE_TICK_MS = 5;   // with someone on the line
constexpr int IDLE_TICK_MS = 100;   // waiting for someone to open the slave
constexpr qsizetype MAX_UNSENT = 16 * 1024; // beyond this a slow reader loses bytes

int signalFds[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalFds[1], &c, 1);
}

class Server : public QObject {
public:
    explicit Server(const SimConfig &config)
        : model_(config)
    {
        clock_.start();
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    }

    ~Server() override
    {
        if (master_ >= 0)
            ::close(master_);
    }

    bool openPty(QString *slavePath, QString *error)
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        // Settings made on the master apply to the slave side: raw, no echo,
        // so nothing the sensor sends comes back to it as a command.
        termios tio{};
        tcgetattr(master_, &tio);
        cfmakeraw(&tio);
        tcsetattr(master_, TCSANOW, &tio);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        const char *name = ptsname(master_);
        if (!name) {
            *error = QStringLiteral("cannot name the pseudo-terminal's slave");
            return false;
        }
        *slavePath = QString::fromLocal8Bit(name);
        // Open and close the slave once: from then on the master reports a
        // hang-up whenever nobody holds the slave, and we keep quiet instead
        // of filling its buffer with frames for nobody.
        const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (slave >= 0)
            ::close(slave);

        readNote_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
        readNote_->setEnabled(false);
        connect(readNote_, &QSocketNotifier::activated, this, [this] { readPty(); });
        setClient(false);
        timer_.start();
        return true;
    }

    bool openDevice(const QString &path, QString *error)
    {
        serial_ = new QSerialPort(this);
        serial_->setPortName(path);
        serial_->setBaudRate(QSerialPort::Baud115200);
        serial_->setDataBits(QSerialPort::Data7);
        serial_->setParity(QSerialPort::OddParity);
        serial_->setStopBits(QSerialPort::OneStop);
        serial_->setFlowControl(QSerialPort::NoFlowControl);
        if (!serial_->open(QIODevice::ReadWrite)) {
            *error = QStringLiteral("cannot open %1: %2").arg(path, serial_->errorString());
            return false;
        }
        connect(serial_, &QSerialPort::readyRead, this, [this] {
            const QByteArray in = serial_->readAll();
            feed(in.constData(), in.size());
        });
        connect(serial_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::ResourceError) {
                std::fprintf(stderr, "tavirs102-sim: %s\n", qPrintable(serial_->errorString()));
                QCoreApplication::exit(1);
            }
        });
        timer_.start(ACTIVE_TICK_MS);
        return true;
    }

private:
    qint64 nowUs() const { return clock_.nsecsElapsed() / 1000; }

    void feed(const char *data, qsizetype n)
    {
        model_.advanceTo(nowUs());
        for (qsizetype i = 0; i < n; ++i)
            model_.receive(data[i]);
    }

    void tick()
    {
        // The sensor runs whether or not anybody listens.
        model_.advanceTo(nowUs());
        unsent_ += model_.takeOutput();
        if (serial_) {
            if (serial_->bytesToWrite() < MAX_UNSENT)
                serial_->write(unsent_);
            unsent_.clear();
            return;
        }
        const bool present = ptyClientPresent();
        if (present != client_)
            setClient(present);
        if (!client_) {
            unsent_.clear(); // nobody on the line: the frames are lost
            return;
        }
        writePty();
    }

    bool ptyClientPresent() const
    {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 0) < 0)
            return client_;
        return !(p.revents & POLLHUP);
    }

    // While nobody holds the slave the master is always "readable" (hang-up),
    // so the notifier is off and the slow tick looks for a new client.
    void setClient(bool present)
    {
        client_ = present;
        readNote_->setEnabled(present);
        timer_.setInterval(present ? ACTIVE_TICK_MS : IDLE_TICK_MS);
        if (!present)
            unsent_.clear();
    }

    void readPty()
    {
        char buf[512];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                feed(buf, n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            setClient(false); // EIO: the slave was closed
            return;
        }
    }

    void writePty()
    {
        while (!unsent_.isEmpty()) {
            const ssize_t n = ::write(master_, unsent_.constData(), size_t(unsent_.size()));
            if (n <= 0)
                break; // the client is not reading: keep the rest for now
            unsent_.remove(0, n);
        }
        if (unsent_.size() > MAX_UNSENT)
            unsent_.truncate(MAX_UNSENT);
    }

    SensorModel model_;
    QElapsedTimer clock_;
    QTimer timer_;
    QByteArray unsent_;
    int master_ = -1;
    QSocketNotifier *readNote_ = nullptr;
    bool client_ = false;
    QSerialPort *serial_ = nullptr;
};

bool parseInt(const QString &text, qint64 low, qint64 high, qint64 *value)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavirs102-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates a Tavirs-102 sensor. Without --device it serves a new pseudo-terminal "
        "and prints the path to open."));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"), QStringLiteral("Serve this serial device (115200 7O1)."), QStringLiteral("path"));
    const QCommandLineOption rate(QStringLiteral("rate"), QStringLiteral("Four-value frames per flank per second (default 50; the line takes at most 128)."), QStringLiteral("n"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed (default 1)."), QStringLiteral("n"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Send nothing at all."));
    const QCommandLineOption corrupt(QStringLiteral("corrupt"), QStringLiteral("Share of sent characters damaged, 0-1."), QStringLiteral("share"));
    const QCommandLineOption garbage(QStringLiteral("garbage"), QStringLiteral("Send junk characters between frames."));
    const QCommandLineOption deaf(QStringLiteral("deaf"), QStringLiteral("Ignore commands, keep sending measurements."));
    const QCommandLineOption address(QStringLiteral("address"), QStringLiteral("Bus address (0-255, default 1)."), QStringLiteral("n"));
    parser.addOptions({device, rate, seed, silent, corrupt, garbage, deaf, address});
    parser.process(app);

    SimConfig config;
    qint64 v = 0;
    auto fail = [](const char *what) {
        std::fprintf(stderr, "tavirs102-sim: bad value for %s\n", what);
        return 2;
    };
    if (parser.isSet(rate)) {
        if (!parseInt(parser.value(rate), 1, 1000000, &v))
            return fail("--rate");
        config.ratePerFlank = int(v);
        if (v > SensorModel::MAX_FOUR_VALUE_PER_SECOND / 2)
            std::fprintf(stderr, "tavirs102-sim: the line carries at most %d frames per flank a second\n",
                         SensorModel::MAX_FOUR_VALUE_PER_SECOND / 2);
    }
    if (parser.isSet(seed)) {
        if (!parseInt(parser.value(seed), 0, 0xFFFFFFFFLL, &v))
            return fail("--seed");
        config.seed = quint32(v);
    }
    if (parser.isSet(address)) {
        if (!parseInt(parser.value(address), 0, 255, &v))
            return fail("--address");
        config.busAddress = int(v);
    }
    if (parser.isSet(corrupt)) {
        bool ok = false;
        const double share = parser.value(corrupt).toDouble(&ok); // "C" format, whatever the locale
        if (!ok || !(share >= 0.0 && share <= 1.0))
            return fail("--corrupt");
        config.corruptShare = share;
    }
    config.silent = parser.isSet(silent);
    config.garbage = parser.isSet(garbage);
    config.deaf = parser.isSet(deaf);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalFds) != 0) {
        std::perror("tavirs102-sim: socketpair");
        return 1;
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNote(signalFds[0], QSocketNotifier::Read);
    QObject::connect(&signalNote, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });

    Server server(config);
    QString error;
    if (parser.isSet(device)) {
        if (!server.openDevice(parser.value(device), &error)) {
            std::fprintf(stderr, "tavirs102-sim: %s\n", qPrintable(error));
            return 1;
        }
    } else {
        QString slave;
        if (!server.openPty(&slave, &error)) {
            std::fprintf(stderr, "tavirs102-sim: %s\n", qPrintable(error));
            return 1;
        }
        std::fputs(slave.toLocal8Bit().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    return app.exec();
}
