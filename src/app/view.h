#pragma once
// The one door from the program's logic to the screen. The main window
// implements it with real widgets; the tests implement it with a recorder.

#include <QString>

// Value labels of the settings page; each shows a counter or a last value.
enum class Lbl {
    N_rv_byte, N_rv_frame, Rv_Frame,
    N_tr_byte, N_tr_frame, Tr_Frame,
    KS_ERR, Overflow_buffer, Time_out,
    Label35, Label37,
    Rv_SOF, Rv_Adress, Rv_Function,
};

// Statistics tables of the flank pages and their hidden event tables.
enum class Grid { StringGrid1, StringGrid5, StringGrid3, StringGrid6 };

// Edit fields the logic writes or sends the focus to.
enum class Field {
    Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8,
    Delta1, Delta2, NetworkAdr, NetworkAdrRd,
};

// Window messages of the link, posted to the main window.
constexpr int WM_LINK_LOST = 1025;
constexpr int WM_LINK_RESTORED = 1026;

// Message box flags: icon and buttons, as the boxes were always described.
constexpr int MB_ICONERROR = 16;       // stop icon, OK
constexpr int MB_ICONEXCLAMATION = 48; // exclamation icon, OK

class View {
public:
    virtual ~View() = default;

    virtual void setLabel(Lbl label, const QString &text) = 0;
    // Status bar panels 0..4.
    virtual void setPanel(int panel, const QString &text) = 0;
    virtual void setPanelHint(int panel, const QString &hint) = 0;
    virtual void setCell(Grid grid, int col, int row, const QString &text) = 0;
    virtual void setField(Field field, const QString &text) = 0;
    virtual void focusField(Field field) = 0;

    // Port list: selects the item with this text, adding it when missing.
    virtual void selectPort(const QString &name) = 0;
    // The receiver timer (40 ms).
    virtual void setTimerRv(bool on) = 0;

    // Value axis of flank m's live chart: automatic, or fixed to [min, max];
    // the Min/Max fields are enabled exactly when the axis is manual.
    virtual void setValueAxis(int m, bool automatic, double min, double max) = 0;
    // Empties the four live traces of flank m.
    virtual void traceReset(int m) = 0;

    // Plain message box, captioned with the application title.
    virtual void showMessage(const QString &text) = 0;
    // Captioned box with an icon (MB_ICONERROR or MB_ICONEXCLAMATION) and OK.
    virtual void messageBox(const QString &text, const QString &caption, int flags) = 0;
    // Posts WM_LINK_LOST or WM_LINK_RESTORED; the window handles it after the current pass.
    virtual void postLinkMsg(int msg) = 0;
};
