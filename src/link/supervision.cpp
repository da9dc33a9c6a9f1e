// Polling, sending from the queue, time-outs and the state of the link.
#include "link/codec.h"
#include "link/link.h"

namespace {
constexpr int16_t SEND_EVERY = 5;   // idle passes between offers to send
constexpr int16_t ANSWER_TICKS = 10; // passes an answer may take
constexpr int16_t MAX_RETRY = 20;    // resends before the link is given up
constexpr int16_t MAX_FAIL = 3;      // failed sends in a row that close the port
constexpr int16_t TIMING_WINDOW = 50;
} // namespace

void Link::Timer1Timer()
{
    uint16_t words[2];
    words[0] = 0x0141;
    words[1] = Calc_KS(words, 1);
    Put_Cmd(':', words, 2);
}

void Link::TimerRvTimer()
{
    const qint64 t0 = Tm_Clock();
    if (t0 < 0 && !Tm_NoCounterShown) {
        view_.setLabel(Lbl::Label35, QStringLiteral("Измерение невозможно"));
        Tm_NoCounterShown = true;
    }
    Rv_Data();
    const qint64 t1 = Tm_Clock();
    if (t0 >= 0 && t1 >= 0) {
        const int32_t us = int32_t((t1 - t0) / 1000);
        const uint32_t ms = uint32_t(t1 / 1000000 - t0 / 1000000);
        if (us > Tm_MaxUs)
            Tm_MaxUs = us;
        if (ms > Tm_MaxMs)
            Tm_MaxMs = ms;
    }
    if (++Tm_Count < TIMING_WINDOW)
        return;
    // Without a counter there is no figure to show: the label keeps its text.
    if (!Tm_NoCounterShown)
        view_.setLabel(Lbl::Label35, QString::number(Tm_MaxUs));
    Tm_Count = 0;
    Tm_MaxUs = 0;
    view_.setLabel(Lbl::Label37, QString::number(Tm_MaxMs));
    Tm_MaxMs = 0;
}

void Link::Send_Head()
{
    if (CmdQueue[0].usKey == 0)
        return;
    const int16_t r = Send_Cmd1(CmdQueue[0].cSOF, CmdQueue[0].usData, CmdQueue[0].usDataLen);
    Tr_Fail = r == -2 ? int16_t(Tr_Fail + 1) : int16_t(0);
}

void Link::Tick_Step()
{
    ++Tick_Cnt;
    if (Tr_Wait == 0) {
        if (Tick_Cnt % SEND_EVERY == 0)
            Send_Head();
    } else {
        if (++Tr_Ticks <= ANSWER_TICKS)
            return;
        Tr_Ticks = 0;
        if (Rv_Fault == 0) {
            Rv_Fault = 1;
            ++counters.Time_out;
            dirty_ |= D_TIMEOUT;
        }
        if (++Tr_Retry > MAX_RETRY)
            Give_Up();
        else
            Send_Head();
    }
    if (Tr_Fail >= MAX_FAIL)
        Close_After_Failures();
}

void Link::Give_Up()
{
    Rv_Kind = 0;
    Tr_Wait = 0;
    Tr_Retry = 0;
    if (LinkOk != 0) {
        LinkOk = 0;
        view_.setPanel(4, QStringLiteral("Нет связи"));
        view_.postLinkMsg(WM_LINK_LOST);
    }
    Clr_Cmd();
}

void Link::Close_After_Failures()
{
    Close_Com();
    Rv_Kind = 0;
    Tr_Wait = 0;
    Tr_Retry = 0;
    if (LinkOk != 0) {
        LinkOk = 0;
        view_.setPanel(2, PortText + QStringLiteral(" выключен"));
        view_.setPanel(4, QStringLiteral("Нет связи"));
        view_.postLinkMsg(WM_LINK_LOST);
    }
    Clr_Cmd();
}
