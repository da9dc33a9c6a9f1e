#include "sim/sim_port.h"

#include <algorithm>

const QString SIM_PORT_NAME = QStringLiteral("Имитатор датчика");

SimPort::SimPort(const SimConfig &config, SimClock clock)
    : model_(config)
    , clock_(std::move(clock))
{
    if (!clock_) {
        elapsed_.start();
        clock_ = [this] { return elapsed_.nsecsElapsed() / 1000; };
    }
    start_ = clock_();
}

void SimPort::catchUp()
{
    model_.advanceTo(clock_() - start_);
    const QByteArray out = model_.takeOutput();
    const qsizetype room = MAX_PENDING - pending_.size();
    pending_.append(out.constData(), std::min(room, out.size()));
}

qint64 SimPort::read(char *buf, qint64 max)
{
    catchUp();
    const qint64 n = std::min<qint64>(max, pending_.size());
    if (n <= 0)
        return 0;
    std::copy_n(pending_.constData(), n, buf);
    pending_.remove(0, n);
    return n;
}

bool SimPort::writeByte(char c)
{
    catchUp(); // the byte arrives now, not at the last read
    model_.receive(c);
    return true;
}

SimPortOpener::SimPortOpener(std::unique_ptr<PortOpener> other, const SimConfig &config, SimClock clock)
    : other_(std::move(other))
    , config_(config)
    , clock_(std::move(clock))
{
}

bool SimPortOpener::isSimName(const QString &name)
{
    return name == SIM_PORT_NAME || name == QLatin1String("sim");
}

std::unique_ptr<Port> SimPortOpener::open(const QString &name, OpenError *error)
{
    if (isSimName(name)) {
        if (error)
            *error = OpenError::None;
        return std::make_unique<SimPort>(config_, clock_);
    }
    if (!other_) {
        if (error)
            *error = OpenError::NotFound;
        return nullptr;
    }
    return other_->open(name, error);
}
