// Opening, switching and closing the serial port.
#include "link/link.h"

#include "link/port_names.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace {

// How to get at a port that was refused: usually the user is not in the
// group that owns the device.
QString Access_Hint(const QString &name)
{
    const QString device = Port_Device(name);
    QString group = QFileInfo(device).group();
    if (group.isEmpty() || group == QLatin1String("root"))
        group = QStringLiteral("dialout");
    return QStringLiteral("Нет доступа к %1. Порт занят другой программой, или пользователь не входит в группу "
                          "«%2», которой принадлежит устройство: sudo usermod -aG %2 $USER, затем войти в систему заново.")
        .arg(device, group);
}

} // namespace

Link::Link(View &view, PortOpener &opener) : view_(view), opener_(opener)
{
    Tm_Clock = [] {
        static QElapsedTimer clock = [] { QElapsedTimer t; t.start(); return t; }();
        return clock.nsecsElapsed();
    };
}

void Link::Set_TimerRv(bool on)
{
    view_.setTimerRv(on);
}

int16_t Link::Open_Com(const QString &name)
{
    PortText = name;
    OpenError error = OpenError::None;
    hCom = opener_.open(name, &error);
    view_.setPanelHint(2, error == OpenError::Permission ? Access_Hint(name) : QString());
    if (!hCom)
        return 0;
    Clr_Cmd();
    LinkOk = 2;
    Tr_Fail = 0;
    view_.setPanel(4, QString());
    Set_TimerRv(true);
    return 1;
}

void Link::ComboBox1Click(const QString &name)
{
    Set_TimerRv(false);
    Close_Com();
    const int16_t r = Open_Com(name);
    view_.setPanel(2, name + (r == 1 ? QStringLiteral(" включён") : QStringLiteral(" выключен")));
}

void Link::Close_Com()
{
    hCom.reset();
}

