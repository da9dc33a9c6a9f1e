#pragma once
// Names in the port list and the devices behind them.

#include <QString>
#include <QStringList>

// "COM1" … "COM9", then on Linux the serial devices found, by their /dev path.
QStringList Port_List();
// The device to open for a name of the list: on Linux COMn is /dev/ttyS(n-1);
// any other name (and every name on Windows) goes to the system unchanged.
QString Port_Device(const QString &name);
