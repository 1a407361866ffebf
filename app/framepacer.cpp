#include "framepacer.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionProgressBar>
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

PaintCache::PaintCache(QWidget *widget, std::function<int()> key)
    : QObject(widget), m_widget(widget), m_key(std::move(key)) {
    widget->installEventFilter(this);
}

bool PaintCache::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Paint:
        if (watched == m_widget && !m_painting) return paint(static_cast<QPaintEvent *>(event));
        break;
    case QEvent::ShowToParent:  // shown or hidden itself, not with the window
    case QEvent::HideToParent:
        if (watched != m_widget) {
            // What lies beneath changed: shown from the copies of that state
            // if there are any, else Qt paints it first. Qt repaints nothing
            // under a widget marked opaque, so the widget is repainted here.
            const bool known = m_bases.count(shownBeneath()) != 0;
            if (m_widget->testAttribute(Qt::WA_OpaquePaintEvent) != known)
                m_widget->setAttribute(Qt::WA_OpaquePaintEvent, known);
            m_widget->update(static_cast<QWidget *>(watched)->geometry().translated(-m_widget->pos()));
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ZOrderChange:
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::EnabledChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::ActivationChange:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::FocusOut: forget(); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

void PaintCache::forget() {
    if (!m_beneathKnown) return;
    m_bases.clear();
    m_copies.clear();
    for (const QPointer<QWidget> &w : m_beneath)
        if (w) w->removeEventFilter(this);
    m_beneath.clear();
    m_beneathKnown = false;
    m_widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_widget->update();
}

// One bit for each lower sibling the widget overlaps, set while it is shown.
quint32 PaintCache::shownBeneath() {
    quint32 shown = 0;
    for (size_t i = 0; i < m_beneath.size(); ++i)
        if (m_beneath[i] && !m_beneath[i]->isHidden()) shown |= quint32(1) << i;
    return shown;
}

bool PaintCache::paint(QPaintEvent *event) {
    if (!m_beneathKnown) {
        m_beneathKnown = true;
        if (QWidget *parent = m_widget->parentWidget()) {
            for (QObject *child : parent->children()) {
                if (child == m_widget) break;
                auto *w = qobject_cast<QWidget *>(child);
                if (!w || w->isWindow() || !w->geometry().intersects(m_widget->geometry())) continue;
                w->installEventFilter(this);
                m_beneath.emplace_back(w);
            }
        }
    }
    const int own = m_beneath.size() > 32 ? -1 : m_key ? m_key() : 0;  // more beneath than bits: as usual
    const quint32 shown = shownBeneath();
    const quint64 key = quint64(quint32(own)) << 32 | shown;
    const QRect rect = m_widget->rect();
    QPainter painter(m_widget);
    // The window's backing store, unless the widget is painted elsewhere (grab(), render()).
    QPaintDevice *device = painter.paintEngine()->paintDevice();
    QBackingStore *backingStore = m_widget->window()->backingStore();
    QImage *store =
        backingStore && device == backingStore->paintDevice() && device->devType() == QInternal::Image
            ? static_cast<QImage *>(device)
            : nullptr;
    const QRect inStore = painter.deviceTransform().mapRect(QRectF(rect)).toAlignedRect();
    // Copies are taken of a widget painted whole, where it was: elsewhere the
    // store still holds the last frame, with the widgets above it.
    const bool learn = store && own >= 0 && store->rect().contains(inStore) &&
                       (m_bases.empty() || inStore == m_inStore) && event->region().rectCount() == 1 &&
                       event->rect() == rect;
    const auto copyOf = [&] {
        QImage copy = store->copy(inStore);
        copy.setDevicePixelRatio(store->devicePixelRatio());
        return copy;
    };
    if (m_widget->testAttribute(Qt::WA_OpaquePaintEvent)) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);  // the copies hold every pixel
        const auto copy = own >= 0 ? m_copies.find(key) : m_copies.end();
        const auto base = m_bases.find(shown);
        const bool moved = store && (inStore != m_inStore || store->devicePixelRatio() != m_dpr);
        if (moved || (copy == m_copies.end() && (base == m_bases.end() || base->second.isNull()))) {
            // Moved with the window's contents, on another screen, or nothing
            // known of what lies beneath: painted as usual from the next frame.
            painter.end();
            forget();
            return true;
        }
        if (copy != m_copies.end()) {
            painter.drawImage(rect, copy->second);
            return true;
        }
        painter.drawImage(rect, base->second);
    } else {
        if (!learn) return false;
        // What lies beneath is only needed for another key.
        m_bases[shown] = m_key ? copyOf() : QImage();
        m_inStore = inStore;
        m_dpr = store->devicePixelRatio();
    }
    painter.end();
    m_painting = true;
    static_cast<QObject *>(m_widget)->event(event);  // the widget's own painting
    m_painting = false;
    if (learn) {
        m_copies[key] = copyOf();
        if (!m_widget->testAttribute(Qt::WA_OpaquePaintEvent))
            m_widget->setAttribute(Qt::WA_OpaquePaintEvent, true);
    }
    return true;
}

int chunkLength(const QProgressBar *bar) {
    const bool textShows = bar->isTextVisible() && bar->palette().color(QPalette::Text).alpha() != 0;
    if (textShows || bar->maximum() <= bar->minimum() || bar->value() < bar->minimum()) return -1;
    QStyleOptionProgressBar option;
    option.initFrom(bar);
    const bool horizontal = bar->orientation() == Qt::Horizontal;
    if (horizontal) option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.progress = bar->value();
    option.textVisible = false;
    option.invertedAppearance = bar->invertedAppearance();
    const QRect contents = bar->style()->subElementRect(QStyle::SE_ProgressBarContents, &option, bar);
    // As QStyleSheetStyle computes it.
    const double filled =
        double(qint64(bar->value()) - bar->minimum()) / (qint64(bar->maximum()) - bar->minimum());
    return static_cast<int>((horizontal ? contents.width() : contents.height()) * filled);
}
