#include "fake_port.h"

#include <cstring>

qint64 FakePort::read(char *buf, qint64 max)
{
    if (line_.gone)
        return 0;
    const qint64 n = qMin<qint64>(max, line_.incoming.size());
    std::memcpy(buf, line_.incoming.constData(), size_t(n));
    line_.incoming.remove(0, n);
    return n;
}

bool FakePort::writeByte(char c)
{
    if (line_.gone)
        return false;
    if (line_.failFromByte >= 0 && line_.written.size() >= line_.failFromByte)
        return false;
    line_.written.append(c);
    return true;
}

std::unique_ptr<Port> FakeOpener::open(const QString &name, OpenError *error)
{
    if (refusals.contains(name) || !lines.count(name)) {
        if (error)
            *error = refusals.value(name, OpenError::NotFound);
        return nullptr;
    }
    if (error)
        *error = OpenError::None;
    opened << name;
    FakeLine &l = lines[name];
    l.open = true;
    return std::make_unique<FakePort>(l);
}
