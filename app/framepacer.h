// Paints the window at most once a display frame. Input reports can change
// the inputs page a thousand times a second; painting each change would cost
// far more than the decoding and never reach the screen any sooner. Widget
// state changes at once; only the paint that shows it waits, at most one frame.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

class FramePacer : public QObject {
public:
    // Paces `window`'s repaints (update() and repaint() alike); a child of it.
    explicit FramePacer(QWidget *window, int frameMs = 16);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void release();

    QWidget *m_window;
    const int m_frameMs;
    QElapsedTimer m_sinceFrame;  // since the last frame was let through
    QTimer m_pending;            // the deferred frame
    bool m_releasing = false;
};
