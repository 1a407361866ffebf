// The window's painting while input reports stream in: paced to frames, and
// the widgets live input changes painted from copies.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <unordered_map>
#include <vector>

class QPaintEvent;
class QWidget;

// Paints the window at most once a display frame. Input reports can change
// the inputs page a thousand times a second; painting each change would cost
// far more than the decoding and never reach the screen any sooner. Widget
// state changes at once; only the paint that shows it waits, at most one frame.
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

// Repaints a widget from copies of what it looked like, taken from the
// window's backing store together with everything beneath it, one per state:
// its own key (a paddle bar: the chunk length) and which of the widgets
// beneath it are shown (the indicators of one stick share a spot). While the
// copy of what lies beneath is known, the widget is marked opaque: Qt paints
// nothing under it, and a repaint is one copy of pixels instead of the page's
// background, the 1280 x 720 wheel picture scaled again and the style sheet's
// rounded borders (some 200,000 instructions for one indicator). Whatever
// could change the looks of the widget or of a widget beneath it drops all
// copies.
class PaintCache : public QObject {
public:
    // `key` names the widget's present looks; a negative key has it painted
    // as usual. Without a key the widget has one looks.
    explicit PaintCache(QWidget *widget, std::function<int()> key = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool paint(QPaintEvent *event);
    quint32 shownBeneath();
    void forget();

    QWidget *m_widget;
    const std::function<int()> m_key;
    QRect m_inStore;  // where the copies were taken, and at what pixel ratio
    qreal m_dpr = 1;
    std::unordered_map<quint32, QImage> m_bases;   // beneath, with its own background
    std::unordered_map<quint64, QImage> m_copies;  // and with the widget painted
    std::vector<QPointer<QWidget>> m_beneath;      // lower siblings it overlaps
    bool m_beneathKnown = false;
    bool m_painting = false;
};

class QProgressBar;
// The key of a progress bar: the length of its chunk as the style sheet
// style draws it, which is all of its looks that its value changes. Negative
// while it shows its text in a colour, or has no range.
int chunkLength(const QProgressBar *bar);
