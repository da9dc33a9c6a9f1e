#pragma once
// The whole program without its window: every program-wide record and the
// shell's own steps (start-up, port choice, exit). The main window forwards
// its events here; what is shown goes back through View.

#include "app/view.h"
#include "flank/flank_state.h"
#include "link/link.h"

#include <QDate>
#include <QString>

// Title of the application: plain message boxes carry it as their caption.
extern const QString APP_TITLE;

class Program {
public:
    Program(View &view, PortOpener &opener);

    // Brings every subsystem into its start state and opens the port.
    // portName is the port list item chosen at start ("COM1" unless the
    // command line names another); today is the date of the protocol files.
    void FormCreate(const QString &portName = QStringLiteral("COM1"), const QDate &today = QDate::currentDate());

    void ComboBox1Click(const QString &name) { link.ComboBox1Click(name); }
    // Alt+X with any further modifiers: closes the port; true when the
    // window is to close.
    bool FormKeyDown(int key, bool alt);
    // "Выход": stops the receiver, closes the port.
    void NExitClick();

    // Timer events: the poll every second, the receive pass every 40 ms.
    void Timer1Timer();
    void TimerRvTimer();
    // Shows the box of a posted link message (WM_LINK_LOST, WM_LINK_RESTORED).
    void Link_Msg(int msg);

    // Live traces of flank m start again at x = 0.
    void Trace_Reset(int m);

    View &view;
    QString WorkDir;
    Link link;
    Flanks flanks;
};
