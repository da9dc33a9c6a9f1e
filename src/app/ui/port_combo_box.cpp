#include "port_combo_box.h"

#include "link/port_names.h"
#include "sim/sim_port.h"

#include <QAbstractItemView>
#include <QSignalBlocker>

PortComboBox::PortComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    addItems(names());
}

QStringList PortComboBox::names() const
{
    QStringList all = Port_List();
    for (const QString &name : extra_)
        if (!all.contains(name))
            all << name;
    all << SIM_PORT_NAME;
    return all;
}

void PortComboBox::selectPort(const QString &name)
{
    int i = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        if (!extra_.contains(name))
            extra_ << name;
        insertItem(count() - 1, name); // the simulator stays last
        i = count() - 2;
    }
    setCurrentIndex(i);
}

void PortComboBox::refresh()
{
    const QString current = currentText();
    QStringList names = this->names();
    if (!current.isEmpty() && !names.contains(current))
        names.insert(names.size() - 1, current); // the chosen device stays while it is away
    if (names == [this] {
            QStringList now;
            for (int i = 0; i < count(); ++i)
                now << itemText(i);
            return now;
        }())
        return;
    const QSignalBlocker block(this);
    clear();
    addItems(names);
    setCurrentIndex(findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void PortComboBox::showPopup()
{
    refresh();
    // Long device paths stay readable in the open list.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    QComboBox::showPopup();
}
