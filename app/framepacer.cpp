#include "framepacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>

FramePacer::FramePacer(QWidget *window, int frameMs) : QObject(window), m_window(window), m_frameMs(frameMs) {
    m_pending.setSingleShot(true);
    m_pending.setTimerType(Qt::PreciseTimer);
    connect(&m_pending, &QTimer::timeout, this, &FramePacer::release);
    window->installEventFilter(this);
}

// Every repaint of a widget window ends in one UpdateRequest to the window,
// which paints all that is dirty; repaint() sends it at once, update() posts
// it. Holding it back merges the changes into one frame: nothing is lost, the
// dirty region stays. Even after a quiet spell the frame waits for the events
// already queued, so a burst of reports shows its last state, not its first.
bool FramePacer::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_window || event->type() != QEvent::UpdateRequest || m_releasing)
        return QObject::eventFilter(watched, event);
    if (!m_pending.isActive()) {
        // Rounded down: a timer fires up to a millisecond late, so the frame
        // comes one frame after the last at the latest, not later.
        const qint64 left = m_sinceFrame.isValid()
                                ? (qint64(m_frameMs) * 1000000 - m_sinceFrame.nsecsElapsed()) / 1000000
                                : 0;
        m_pending.start(int(std::max<qint64>(0, left)));
    }
    return true;
}

void FramePacer::release() {
    m_sinceFrame.start();
    m_releasing = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(m_window, &request);
    m_releasing = false;
}
