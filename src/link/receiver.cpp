// The receive pass: reads what the port holds, assembles and checks frames,
// takes answers and hands measurement frames on.
#include "link/codec.h"
#include "link/link.h"

#include <cstring>

void Link::Rv_Data()
{
    if (!hCom)
        return;
    char chunk[4096];
    for (;;) {
        // Everything waiting now; the pass never waits for more.
        const qint64 n = hCom->read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        counters.N_rv_byte += int32_t(n);
        dirty_ |= D_RV_BYTE;
        for (qint64 i = 0; i < n; ++i) {
            const char c = chunk[i];
            if (c == '~' || c == ':') {
                Rv_Kind = c == '~' ? 2 : 1;
                Rv_Idx = 0;
                lastSof_ = c;
                dirty_ |= D_SOF;
            } else if (c == '\n' && Rv_Idx > 0 && Rv_Buf[Rv_Idx - 1] == '\r') {
                Frame_End();
            } else {
                Rv_Buf[Rv_Idx++] = c;
                if (Rv_Idx >= SIZE_RV_BUF) {
                    Rv_Idx = 0;
                    if (Rv_Kind == 1 && Tr_Wait == 1)
                        Rv_Fault = 3;
                    Rv_Kind = 0;
                    ++counters.Overflow_buffer;
                    dirty_ |= D_OVERFLOW;
                }
            }
        }
    }
    Tick_Step();
    Rv_Fault = 0;
    Show_Pass();
}

void Link::Frame_End()
{
    Rv_Buf[Rv_Idx - 1] = 0;
    std::memcpy(lastBody_, Rv_Buf, Rv_Idx);
    Rv_Idx = 0;
    dirty_ |= D_FRAME_TEXT;

    if (Check_KS(Rv_Buf) != 0) {
        ++counters.KS_ERR;
        dirty_ |= D_KS;
        if (Rv_Kind == 1 && Tr_Wait == 1)
            Rv_Fault = 2;
        Rv_Kind = 0;
        return;
    }
    ++counters.N_rv_frame;
    const uint16_t w = Hex_Word(Rv_Buf, 0);
    Rv_Adr = w >> 8;
    Rv_Func = w & 0xFF;
    dirty_ |= D_RV_FRAME | D_ADR;

    if (Rv_Kind == 1) {
        Answer();
    } else if (Rv_Kind == 2) {
        Rv_Kind = 0;
        if (sink)
            sink->Rv_Measure(Rv_Func, Rv_Buf);
    }
}

void Link::Answer()
{
    if (LinkOk != 1) {
        LinkOk = 1;
        view_.setPanel(4, QStringLiteral("Связь восстановлена"));
        view_.postLinkMsg(WM_LINK_RESTORED);
    }
    Rv_Kind = 0;
    Tr_Ticks = 0;
    Tr_Retry = 0;
    Tr_Wait = 0;
    Del_Cmd();
    if (Rv_Func == 0x41)
        view_.setPanel(0, QString::number(Rv_Func));
    else if (Rv_Func == 0x62 && sink)
        sink->Rv_Address(Rv_Buf);
}

void Link::Show_Pass()
{
    if (!dirty_)
        return;
    if (dirty_ & D_RV_BYTE)
        view_.setLabel(Lbl::N_rv_byte, QString::number(counters.N_rv_byte));
    if (dirty_ & D_SOF)
        view_.setLabel(Lbl::Rv_SOF, QString::number(int(lastSof_)));
    if (dirty_ & D_FRAME_TEXT)
        view_.setLabel(Lbl::Rv_Frame, QString::fromLatin1(lastBody_));
    if (dirty_ & D_KS)
        view_.setLabel(Lbl::KS_ERR, QString::number(counters.KS_ERR));
    if (dirty_ & D_RV_FRAME)
        view_.setLabel(Lbl::N_rv_frame, QString::number(counters.N_rv_frame));
    if (dirty_ & D_ADR) {
        view_.setLabel(Lbl::Rv_Adress, QString::number(Rv_Adr));
        view_.setLabel(Lbl::Rv_Function, QString::number(Rv_Func));
    }
    if (dirty_ & D_OVERFLOW)
        view_.setLabel(Lbl::Overflow_buffer, QString::number(counters.Overflow_buffer));
    if (dirty_ & D_TIMEOUT)
        view_.setLabel(Lbl::Time_out, QString::number(counters.Time_out));
    dirty_ = 0;
}
