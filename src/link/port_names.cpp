#include "link/port_names.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

QStringList Port_List()
{
    QStringList names;
    for (int i = 1; i <= 9; ++i)
        names << QStringLiteral("COM%1").arg(i);
#ifndef Q_OS_WIN
    QStringList found;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        if (!path.isEmpty() && !names.contains(path) && !found.contains(path))
            found << path;
    }
    found.sort();
    names << found;
#endif
    return names;
}

QString Port_Device(const QString &name)
{
#ifndef Q_OS_WIN
    static const QRegularExpression com(QStringLiteral("^COM([1-9])$"));
    const QRegularExpressionMatch match = com.match(name);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
#endif
    return name;
}
