// The end of a start-up: the window's first frame has been painted. Shared
// by the floor and the Orvane start-up probe, so both stop the clock the
// same way.
#pragma once

#include "benchutil.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace bench {

// Moments a program marks on its way to the first frame, printed as
//   PHASE <name> <ms since ORVANE_BENCH_T0>
inline std::vector<std::pair<const char *, int64_t>> &phases() {
    static std::vector<std::pair<const char *, int64_t>> marks;
    return marks;
}
inline void markPhase(const char *name) { phases().emplace_back(name, nowNs()); }

// Watches a top-level window; after its first paint event (and the rest of
// that frame: children painted, flushed) prints
//   STARTUP <platform> <ms since ORVANE_BENCH_T0> <peak RSS kB>
// and ends the process at once.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Runs once the whole frame is done.
            QTimer::singleShot(0, this, [] { finish(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void finish() {
        const int64_t end = nowNs();
        const long peak = peakRssKb();
        const char *t0 = std::getenv("ORVANE_BENCH_T0");
        const int64_t start = t0 ? std::atoll(t0) : end;
        for (const auto &[name, at] : phases()) std::printf("PHASE\t%s\t%.3f\n", name, ms(at - start));
        std::printf("STARTUP\t%s\t%.3f\t%ld\n", QGuiApplication::platformName().toUtf8().constData(),
                    ms(end - start), peak);
        std::fflush(stdout);
        // The figure is taken; tearing down would only slow the next run.
        std::_Exit(0);
    }

    bool m_seen = false;
};

}  // namespace bench
