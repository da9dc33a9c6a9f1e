#include "link/serial_port.h"

#include "link/port_names.h"

#include <QSerialPort>

namespace {

class SerialPort : public Port {
public:
    explicit SerialPort(const QString &device)
    {
        port_.setPortName(device);
        // On some devices (pseudo-terminals among them) Qt only takes the
        // line settings before the open.
        port_.setBaudRate(QSerialPort::Baud115200);
        port_.setDataBits(QSerialPort::Data7);
        port_.setParity(QSerialPort::OddParity);
        port_.setStopBits(QSerialPort::OneStop);
        // A vanished device makes Qt report the error over and over until
        // the port is closed: close it at the first report and stay gone.
        QObject::connect(&port_, &QSerialPort::errorOccurred, &port_, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError || e == QSerialPort::WriteError) {
                gone_ = true;
                // Closed once Qt has left its own read or write code.
                QMetaObject::invokeMethod(&port_, [this] { if (port_.isOpen()) port_.close(); }, Qt::QueuedConnection);
            }
        });
    }

    OpenError open()
    {
        if (port_.open(QIODevice::ReadWrite))
            return OpenError::None;
        switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError: return OpenError::NotFound;
        case QSerialPort::PermissionError: return OpenError::Permission;
        default: return OpenError::Other;
        }
    }

    qint64 read(char *buf, qint64 max) override
    {
        if (gone_ || !port_.isOpen())
            return 0;
        // The event loop has moved what arrived into the port's buffer.
        const qint64 n = port_.read(buf, max);
        return n < 0 ? 0 : n;
    }

    bool writeByte(char c) override
    {
        if (gone_ || !port_.isOpen())
            return false;
        if (port_.write(&c, 1) != 1)
            return false;
        port_.flush();
        return !gone_;
    }

    bool gone() const override { return gone_; }

private:
    QSerialPort port_;
    bool gone_ = false;
};

} // namespace

std::unique_ptr<Port> SerialPortOpener::open(const QString &name, OpenError *error)
{
    auto port = std::make_unique<SerialPort>(Port_Device(name));
    const OpenError e = port->open();
    if (error)
        *error = e;
    if (e != OpenError::None)
        return nullptr;
    return port;
}
