#pragma once
// The sensor model as a line in the port list: opening "Имитатор датчика" (or
// "sim") gives an in-process port whose sensor runs on real time, so the
// program can be tried without a sensor.

#include "link/port.h"
#include "sim/sensor_model.h"

#include <QElapsedTimer>
#include <functional>

// The name the simulator goes by in the port list.
extern const QString SIM_PORT_NAME;

// Microseconds on a steady clock; only differences count.
using SimClock = std::function<qint64()>;

class SimPort : public Port {
public:
    // Without a clock the port keeps its own elapsed timer.
    explicit SimPort(const SimConfig &config = {}, SimClock clock = {});
    SimPort(const SimPort &) = delete;
    SimPort &operator=(const SimPort &) = delete;

    qint64 read(char *buf, qint64 max) override;
    bool writeByte(char c) override;
    bool gone() const override { return false; }

    const SensorModel &model() const { return model_; }

    // What a serial driver would hold for a program that stops reading;
    // further bytes are lost as in a receive overrun.
    static constexpr qsizetype MAX_PENDING = 64 * 1024;

private:
    void catchUp();

    SensorModel model_;
    SimClock clock_;
    QElapsedTimer elapsed_;
    qint64 start_ = 0;
    QByteArray pending_;
};

// Opens the simulator for its names and hands every other name to the
// opener it wraps (none: those names are not found).
class SimPortOpener : public PortOpener {
public:
    explicit SimPortOpener(std::unique_ptr<PortOpener> other, const SimConfig &config = {}, SimClock clock = {});

    std::unique_ptr<Port> open(const QString &name, OpenError *error) override;

    static bool isSimName(const QString &name);

private:
    std::unique_ptr<PortOpener> other_;
    SimConfig config_;
    SimClock clock_;
};
