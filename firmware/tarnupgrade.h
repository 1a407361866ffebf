#pragma once

#include <QString>
#include <QThread>

// Streams a firmware image to the wheel, block by block, then finishes it.
class TarnUpgrade : public QThread {
    Q_OBJECT

public:
    using QThread::QThread;

    QString firmwarePath;
    // The image is the online update's own download: removed once written.
    bool removeWhenDone = false;
    // Pause before each finishing step; tests shorten it.
    int finishStepMs = 1000;

signals:
    void progress(int value);

protected:
    void run() override;
};
