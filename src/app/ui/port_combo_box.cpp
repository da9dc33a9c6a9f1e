#include "port_combo_box.h"

#include "link/port_names.h"

#include <QSignalBlocker>

PortComboBox::PortComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    addItems(Port_List());
}

void PortComboBox::selectPort(const QString &name)
{
    int i = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        if (!extra_.contains(name))
            extra_ << name;
        addItem(name);
        i = count() - 1;
    }
    setCurrentIndex(i);
}

void PortComboBox::refresh()
{
    const QString current = currentText();
    QStringList names = Port_List();
    for (const QString &name : std::as_const(extra_))
        if (!names.contains(name))
            names << name;
    if (!current.isEmpty() && !names.contains(current))
        names << current;
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
    QComboBox::showPopup();
}
