// Opening, switching and closing the serial port.
#include "link/link.h"

#include <QElapsedTimer>

Link::Link(View &view, PortOpener &opener) : view_(view), opener_(opener)
{
    Tm_Clock = [] {
        static QElapsedTimer clock = [] { QElapsedTimer t; t.start(); return t; }();
        return clock.nsecsElapsed();
    };
}

void Link::Set_TimerRv(bool on)
{
    TimerRv = on;
    view_.setTimerRv(on);
}

int16_t Link::Open_Com(const QString &name)
{
    PortText = name;
    OpenError error = OpenError::None;
    hCom = opener_.open(name, &error);
    if (error == OpenError::Permission)
        view_.setPanelHint(2, QStringLiteral("Нет доступа к порту %1: он занят другой программой, или пользователь "
                                             "не входит в группу, которой принадлежит устройство (обычно dialout)")
                                  .arg(name));
    else
        view_.setPanelHint(2, QString());
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

