#pragma once
// A serial line as the link uses it: bytes waiting, one-byte writes, close.

#include <QString>
#include <QtGlobal>
#include <memory>

class Port {
public:
    virtual ~Port() = default; // closes the line
    // Copies up to max bytes that are waiting now; never waits for more.
    // 0 when none are waiting or the device has gone.
    virtual qint64 read(char *buf, qint64 max) = 0;
    // Writes one byte; false when the line did not take it.
    virtual bool writeByte(char c) = 0;
    // True once the device behind the line has vanished (adapter pulled out).
    virtual bool gone() const = 0;
};

enum class OpenError { None, NotFound, Permission, Busy, Other };

// Opens lines by the name shown in the port list.
class PortOpener {
public:
    virtual ~PortOpener() = default;
    virtual std::unique_ptr<Port> open(const QString &name, OpenError *error) = 0;
};
