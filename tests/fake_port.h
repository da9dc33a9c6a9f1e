#pragma once
// A scripted serial line: the test queues incoming chunks and looks at what
// was written; a write can be made to fail from the n-th byte on.

#include "link/port.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>
#include <QMap>
#include <map>

struct FakeLine {
    QByteArray incoming;     // bytes waiting to be read
    QByteArray written;      // bytes the program wrote
    qint64 failFromByte = -1; // 0-based index of the first write that fails
    bool gone = false;
    bool open = true;        // false once the program closed the port
};

class FakePort : public Port {
public:
    explicit FakePort(FakeLine &line) : line_(line) {}
    ~FakePort() override { line_.open = false; }
    qint64 read(char *buf, qint64 max) override;
    bool writeByte(char c) override;
    bool gone() const override { return line_.gone; }

private:
    FakeLine &line_;
};

// Opens FakePorts for the names it knows; any other name fails as missing.
class FakeOpener : public PortOpener {
public:
    std::unique_ptr<Port> open(const QString &name, OpenError *error) override;

    FakeLine &line(const QString &name) { return lines[name]; }
    std::map<QString, FakeLine> lines; // stable references for open ports
    QMap<QString, OpenError> refusals; // names whose open fails with this error
    QStringList opened;
};
