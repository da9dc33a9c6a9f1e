#pragma once
// The sensor link: the open port, the transmit queue, the link state and
// everything the settings page counts about them.

#include "app/view.h"
#include "link/cmd_queue.h"
#include "link/port.h"

#include <QString>
#include <memory>

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

    // --- transmit queue ---
    void Clr_Cmd();

    std::unique_ptr<Port> hCom; // null: no port open
    QString PortText;           // the port list's text: the last name opened
    bool TimerRv = false;       // the receiver timer runs

    CMD_SLOT CmdQueue[SIZE_CMD_QUEUE];
    int16_t nCmdQueue = 0;

    // --- link state ---
    int16_t LinkOk = 2; // 0 lost, 1 sensor answers, 2 undecided
    int16_t Tr_Wait = 0;
    int16_t Tr_Ticks = 0;
    int16_t Tr_Retry = 0;
    int16_t Tr_Fail = 0;
    uint16_t Tick_Cnt = 0;

private:
    View &view_;
    PortOpener &opener_;
};
