#pragma once
// The port list of the settings page. Its items are the port names of the
// machine, read again each time the list opens, so an adapter plugged in
// after start shows up without a restart.

#include <QComboBox>
#include <QStringList>

class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PortComboBox(QWidget *parent = nullptr);

    // Selects the item with this text; a name that is not in the list
    // (a device path given at start) is added and kept from then on.
    void selectPort(const QString &name);
    // Reads the port names again; the selection and the added names stay.
    void refresh();

    void showPopup() override;

private:
    // The machine's ports, the added names, and last the simulator.
    QStringList names() const;

    QStringList extra_;
};
