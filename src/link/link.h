#pragma once
// The sensor link: the open port, the transmit queue, the receiver with its
// frame assembly, and the supervision that finds the link lost or restored.
// Everything the settings page counts about them lives here too.

#include "app/view.h"
#include "link/cmd_queue.h"
#include "link/port.h"

#include <QString>
#include <functional>
#include <memory>

constexpr uint16_t SIZE_RV_BUF = 1024;

// Where correct frames go once the link has taken what it needs of them.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // A measurement frame ("~"); the body is in Rv_Buf.
    virtual void Rv_Measure(uint16_t Rv_Func, const char *Rv_Buf) = 0;
    // An answer to the address read (":", function 62 hex).
    virtual void Rv_Address(const char *Rv_Buf) = 0;
};

// The counters of the settings page; each shown by the label of its name.
struct LinkCounters {
    int32_t N_rv_byte = 0;
    int32_t N_rv_frame = 0;
    int32_t KS_ERR = 0;
    int32_t Overflow_buffer = 0;
    int32_t Time_out = 0;
    int32_t N_tr_byte = 0;
    int32_t N_tr_frame = 0;
};

class Link {
public:
    Link(View &view, PortOpener &opener);

    // --- port ---
    // 1 when the port is open and set up, 0 when the open failed.
    int16_t Open_Com(const QString &name);
    // The user picked a port in the list (also the one already chosen).
    void ComboBox1Click(const QString &name);
    // Closes the port if one is open.
    void Close_Com();
    // Starts or stops the receiver timer.
    void Set_TimerRv(bool on);

    // --- transmit queue and transmitter ---
    void Put_Cmd(char cSOF, const uint16_t *words, uint16_t usDataLen);
    int16_t Send_Cmd1(char cSOF, const uint16_t *words, uint16_t usDataLen);
    void Del_Cmd();
    void Clr_Cmd();

    // --- receiver and supervision ---
    void Timer1Timer();  // queues the poll
    void TimerRvTimer(); // one timed receive pass
    void Rv_Data();      // one receive pass

    std::unique_ptr<Port> hCom; // null: no port open
    QString PortText;           // the port list's text: the last name opened
    FrameSink *sink = nullptr;

    CMD_SLOT CmdQueue[SIZE_CMD_QUEUE];
    int16_t nCmdQueue = 0;
    char Tr_Text[100] = {};

    char Rv_Buf[SIZE_RV_BUF] = {};
    uint16_t Rv_Idx = 0;
    int16_t Rv_Kind = 0;  // 0 none, 1 answer (":"), 2 measurement ("~")
    uint16_t Rv_Adr = 0;
    uint16_t Rv_Func = 0;
    int16_t Rv_Fault = 0; // 1 time-out counted, 2 awaited answer failed its checksum, 3 it overflowed

    int16_t LinkOk = 2; // 0 lost, 1 sensor answers, 2 undecided
    int16_t Tr_Wait = 0;
    int16_t Tr_Ticks = 0;
    int16_t Tr_Retry = 0;
    int16_t Tr_Fail = 0;
    uint16_t Tick_Cnt = 0;

    LinkCounters counters;

    // Timing of the receive passes: the longest of every 50.
    // The clock gives nanoseconds, or a negative value when the machine
    // has no high-resolution counter.
    std::function<qint64()> Tm_Clock;
    int16_t Tm_Count = 0;
    int32_t Tm_MaxUs = 0;
    uint32_t Tm_MaxMs = 0;
    bool Tm_NoCounterShown = false;

private:
    void Frame_End();
    void Answer();
    void Tick_Step();
    void Give_Up();
    void Close_After_Failures();
    void Send_Head();
    void Show_Pass();

    View &view_;
    PortOpener &opener_;

    // Labels touched in the current pass; they show the pass's last value.
    enum Dirty : uint32_t {
        D_RV_BYTE = 1, D_RV_FRAME = 2, D_FRAME_TEXT = 4, D_KS = 8, D_OVERFLOW = 16,
        D_TIMEOUT = 32, D_SOF = 64, D_ADR = 128,
    };
    uint32_t dirty_ = 0;
    char lastSof_ = 0;
    char lastBody_[SIZE_RV_BUF] = {};
};
