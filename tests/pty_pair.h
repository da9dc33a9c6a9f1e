#pragma once
// A pseudo-terminal pair made by the test itself: the master stays with the
// test, the slave's path is what the program opens.

#include <QByteArray>
#include <QString>
#include <termios.h>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    bool ok() const { return master_ >= 0; }
    QString slavePath() const { return slave_; }
    // Bytes written by the other side, read without waiting.
    QByteArray readMaster();
    void writeMaster(const QByteArray &bytes);
    // Closes the master: the device vanishes for whoever holds the slave.
    void closeMaster();
    // The line settings the slave has now.
    termios slaveSettings() const;

private:
    int master_ = -1;
    int slaveFd_ = -1; // held open by the test, only to read the settings
    QString slave_;
};
