#pragma once
// The real serial line, over QSerialPort.

#include "link/port.h"

class SerialPortOpener : public PortOpener {
public:
    std::unique_ptr<Port> open(const QString &name, OpenError *error) override;
};
