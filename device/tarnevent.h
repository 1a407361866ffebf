#pragma once

#include <QByteArray>
#include <QThread>

// Reads input reports from the open wheel and hands each one to the window;
// the program's only detector of a lost wheel.
class TarnEvent : public QThread {
    Q_OBJECT

public:
    using QThread::QThread;

signals:
    void eventTrigger(QByteArray data);
    void deviceDisconnect();

protected:
    void run() override;
};
