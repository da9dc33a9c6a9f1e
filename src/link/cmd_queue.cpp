// The transmit queue and the transmitter that writes its head to the port.
#include "link/codec.h"
#include "link/link.h"

#include <cstring>

void Link::Put_Cmd(char cSOF, const uint16_t *words, uint16_t usDataLen)
{
    if (usDataLen > SIZE_TR_BUF) {
        view_.messageBox(QStringLiteral("Put_Cmd: usDataLen>SIZE_TR_BUF!"), QStringLiteral("Внимание"), MB_ICONEXCLAMATION);
        return;
    }
    if (nCmdQueue >= SIZE_CMD_QUEUE || usDataLen == 0)
        return;
    const uint16_t key = words[0] & 0xFF;
    for (int16_t i = 0; i < nCmdQueue; ++i)
        if (CmdQueue[i].usKey == key)
            return;
    CMD_SLOT &slot = CmdQueue[nCmdQueue];
    slot.usKey = key;
    slot.cSOF = cSOF;
    std::memcpy(slot.usData, words, usDataLen * sizeof(uint16_t));
    slot.usDataLen = usDataLen;
    ++nCmdQueue;
}

int16_t Link::Send_Cmd1(char cSOF, const uint16_t *words, uint16_t usDataLen)
{
    if (usDataLen > SIZE_TR_BUF) {
        view_.messageBox(QStringLiteral("Send_Cmd1: usDataLen>SIZE_TR_BUF!"), QStringLiteral("Внимание"), MB_ICONEXCLAMATION);
        return -2;
    }
    if (!hCom || usDataLen == 0)
        return -2;

    // One write per character; a failed one leaves the rest unsent.
    char frame[4 * SIZE_TR_BUF + 4];
    const size_t len = Encode_Frame(cSOF, words, usDataLen, frame);
    size_t pos = 0;
    for (size_t k = 0; k < len; ++k) {
        if (!hCom->writeByte(frame[k]))
            return -2;
        ++counters.N_tr_byte;
        // A frame longer than the text keeps its beginning only.
        if (pos < sizeof Tr_Text - 1)
            Tr_Text[pos++] = frame[k];
    }
    Tr_Text[pos] = 0;

    ++counters.N_tr_frame;
    view_.setLabel(Lbl::Tr_Frame, QString::fromLatin1(Tr_Text));
    view_.setLabel(Lbl::N_tr_byte, QString::number(counters.N_tr_byte));
    view_.setLabel(Lbl::N_tr_frame, QString::number(counters.N_tr_frame));
    Tr_Wait = 1;
    Tr_Ticks = 0;
    return 0;
}

void Link::Del_Cmd()
{
    if (nCmdQueue == 0)
        return;
    --nCmdQueue;
    // Only occupied slots need to move; the others are empty already.
    for (int16_t i = 0; i < nCmdQueue; ++i)
        CmdQueue[i] = CmdQueue[i + 1];
    CmdQueue[nCmdQueue] = CMD_SLOT{};
}

void Link::Clr_Cmd()
{
    for (int16_t i = 0; i < nCmdQueue; ++i)
        CmdQueue[i] = CMD_SLOT{};
    nCmdQueue = 0;
}
