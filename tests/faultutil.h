// Shared by the fault matrix and the soak: a watch on the event loop, a log of
// every message box (each answered the way a user would), and what the wheel
// keeps in flash, field by field.
#pragma once

#include "testutil.h"

#include <QElapsedTimer>
#include <QMap>

#include <algorithm>

namespace ft {

// The longest stretch the GUI thread spent away from its event loop while
// the monitor ran: a timer ticking every 2 ms notices every stall.
class GapMonitor : public QObject {
public:
    GapMonitor() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start(2);
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Far more than any single exchange: a GUI thread stalled this long hangs.
constexpr qint64 kHangMs = 1000;

// Answers every message box as it comes (Yes where it asks, otherwise OK)
// and keeps what each one said.
class BoxLog : public QObject {
public:
    struct Box {
        QString title, text;
        QMessageBox::Icon icon;
    };
    explicit BoxLog(QMessageBox::StandardButton answer = QMessageBox::Yes) : m_answer(answer) {
        m_current = tu::answerBox(m_answer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!m_current->answered()) return;
            boxes.append({m_current->title(), m_current->text(), m_current->icon()});
            m_current = tu::answerBox(m_answer);
        });
        m_timer.start(2);
    }
    QList<Box> boxes;

    // A box that claims something reached the wheel.
    bool successShown() const {
        return std::any_of(boxes.begin(), boxes.end(), [](const Box &b) {
            return b.title == QLatin1String("Success") || b.text.contains(QLatin1String("saved")) ||
                   b.text.contains(QLatin1String("successfully"));
        });
    }
    bool errorShown() const {
        return std::any_of(boxes.begin(), boxes.end(),
                           [](const Box &b) { return b.icon == QMessageBox::Critical; });
    }
    QString summary() const {
        QStringList out;
        for (const Box &b : boxes) out << b.title + QLatin1Char('/') + b.text;
        return out.join(QLatin1String(" | "));
    }

private:
    QMessageBox::StandardButton m_answer;
    std::unique_ptr<tu::ModalAnswerer> m_current;
    QTimer m_timer;
};

// What a wheel keeps, one entry per field, so that a comparison names the
// field that changed.
inline QMap<QString, QString> fields(const sim::WheelState &s) {
    QMap<QString, QString> f;
    f["name"] = QString::fromStdString(s.name);
    f["paddle value"] = QString::number(s.paddleValue);
    for (size_t i = 0; i < 4; ++i)
        f[QStringLiteral("paddle limit %1").arg(i)] = QString::number(s.paddleLimits[i]);
    for (const auto &[sub, value] : s.settings)
        f[QStringLiteral("setting %1").arg(sub, 2, 16, QLatin1Char('0'))] = QString::number(value);
    for (size_t block = 0; block * 18 < s.ledTable.size(); ++block) {
        const auto from = s.ledTable.begin() + long(block * 18);
        const auto to = s.ledTable.begin() + long(std::min(s.ledTable.size(), (block + 1) * 18));
        f[QStringLiteral("led block %1").arg(block)] = QString::fromLatin1(tu::hex(tu::Bytes(from, to)));
    }
    f["extra present"] = QString::number(s.extraPresent);
    f["extra colours"] =
        QString::fromLatin1(tu::hex(tu::Bytes(s.extraColours.begin(), s.extraColours.end())));
    f["firmware version"] = QString::fromStdString(s.firmwareVersion);
    for (const auto &[sub, value] : s.shifterThresholds)
        f[QStringLiteral("threshold %1").arg(sub)] = QString::number(value);
    return f;
}

// Fields of `after` that are neither what the wheel had nor what the store
// meant to put there: lost or corrupted data. Empty when all is well.
inline QString damaged(const sim::WheelState &before, const sim::WheelState &intended,
                       const sim::WheelState &after) {
    const auto b = fields(before), i = fields(intended), a = fields(after);
    QStringList out;
    QStringList keys = b.keys() + i.keys() + a.keys();
    keys.removeDuplicates();
    for (const QString &k : keys) {
        const QString v = a.value(k);
        if (v != b.value(k) && v != i.value(k))
            out << k + QLatin1String(": had ") + b.value(k) + QLatin1String(", meant ") + i.value(k) +
                       QLatin1String(", now ") + v;
    }
    return out.join(QLatin1Char('\n'));
}

// Fields in which `b` differs from `a`; empty when equal.
inline QString differences(const sim::WheelState &a, const sim::WheelState &b) { return damaged(a, a, b); }

// A wheel that has been set up and calibrated by its owner: every stored
// value differs from both the factory's and the window's defaults, so any
// value the window writes back without reading it first shows.
inline sim::WheelState ownersWheel(const std::string &name) {
    sim::WheelState s = sim::factoryState(name);
    s.paddleValue = 12345;  // right paddle, 23.44 %
    s.paddleLimits = {3900, 3800, 150, 120};
    s.settings[0x04] = 150;
    s.settings[0x0A] = 90;
    s.settings[0x08] = 1;
    s.settings[0x09] = name.find("PQV7") != std::string::npos ? 1 : 255;
    for (size_t i = 0; i < s.ledTable.size(); ++i) s.ledTable[i] = uint8_t(i * 37 + 11);
    s.extraColours = {17, 53, 86, 199, 4, 226};
    s.shifterThresholds = {{3, 1203}, {5, 1205}};
    return s;
}

// Connected at the device level: a wheel open, the reader running, the red
// dot gone, no retry pending.
inline bool linked(TestWindow &w) {
    return device::Device::instance().isOpen() && w.productId != 0 && w.ui->pbStatus->isHidden() &&
           w.eventThread.isRunning() && !w.timers.retry.isActive();
}

inline int opensOf(uint16_t pid) {
    int n = 0;
    for (const auto &e : sim::frameLog()) n += e.op == sim::Op::Open && e.productId == pid;
    return n;
}

// The Read record requests (record, sub-index) of one fault-free connection
// of `name`, in order, status poll included: the matrix strikes each in turn.
inline std::vector<std::pair<int, int>> connectionReads(const char *name, uint16_t pid) {
    tu::resetBus();
    sim::plug(pid, name);
    sim::setFlash(pid, ownersWheel(name));
    std::vector<std::pair<int, int>> reads;
    {
        auto w = tu::makeWindow();
        if (QTest::qWaitFor([&] { return tu::connected(*w); }, 5000)) {
            QTest::qWait(100);  // posted work and the first status poll
            reads = tu::readRequests();
        }
    }
    tu::resetBus();
    return reads;
}

// One scenario of the matrix: the owner's wheel, a window on it, the watch
// on the event loop and the box log, and the checks every scenario ends with.
// After a helper that verifies, the caller returns on QTest::currentTestFailed().
struct Scenario {
    uint16_t pid = 0x2007;
    std::unique_ptr<TestWindow> w;
    std::unique_ptr<GapMonitor> gap;
    std::unique_ptr<BoxLog> boxes;
    sim::WheelState before;

    ~Scenario() {
        w.reset();
        sim::clearFaults();
    }

    // The owner's wheel on the bus; `arm` runs just before the window opens.
    void open(const char *name, const std::function<void()> &arm = {}) {
        tu::resetBus();
        sim::plug(pid, name);
        sim::setFlash(pid, ownersWheel(name));
        before = sim::flash(pid);
        boxes = std::make_unique<BoxLog>();
        if (arm) arm();
        w = tu::makeWindow();
        // From the first turn of the event loop on, which runs the first reads.
        gap = std::make_unique<GapMonitor>();
    }

    // Waits for the window to settle after an operation: waiting when the
    // wheel is gone, linked otherwise.
    void settle() {
        QTRY_COMPARE(sim::pendingFaults(), 0);
        QTest::qWait(30);  // posted work, and a loss the reader is about to report
        // A refused identity leaves the window waiting; its retry is driven here.
        if (sim::isPlugged(pid) && tu::waiting(*w)) w->onInit();
        if (!sim::isPlugged(pid)) {
            QTRY_VERIFY(tu::waiting(*w));
        } else {
            QTRY_VERIFY(linked(*w));
        }
    }

    // Back on the bus after a pull: the retry (driven here, not waited for)
    // finds it, and the window shows what the wheel keeps.
    void replug() {
        QTRY_VERIFY(tu::waiting(*w));
        sim::clearFaults();
        sim::plug(pid, before.name);
        w->onInit();
        QTRY_VERIFY(tu::connected(*w));
        const sim::WheelState now = sim::flash(pid);
        QCOMPARE(w->ui->hsBite->statusTip(), QString::number(now.paddleValue));
        QCOMPARE(w->ui->hsTrigger->statusTip(), QString::number(now.settings.at(0x04)));
        QCOMPARE(w->ui->hsShifter->statusTip(), QString::number(now.settings.at(0x0A)));
        QCOMPARE(w->ui->cbClutch->isChecked(), now.settings.at(0x08) == 1);
        QCOMPARE((std::array<quint32, 4>{w->rightMax, w->leftMax, w->rightMin, w->leftMin}),
                 (std::array<quint32, 4>{now.paddleLimits[0], now.paddleLimits[1], now.paddleLimits[2],
                                         now.paddleLimits[3]}));
    }

    // The user closes the window. Nothing stored may differ from `intended`
    // but where it still holds what it had, no stall, no thread or handle
    // left behind.
    void closeAndCheck(const sim::WheelState &intended) {
        const int shown = boxes->boxes.size();
        if (w->isVisible()) w->ui->pbClose->click();
        QVERIFY(w->eventThread.isFinished());
        QVERIFY(!w->upgradeThread.isRunning());
        QTest::qWait(20);  // a late box would show now
        QVERIFY2(boxes->boxes.size() == shown, qPrintable(boxes->summary()));
        QVERIFY2(gap->longestMs() < kHangMs, qPrintable(QString::number(gap->longestMs())));
        w.reset();
        QCOMPARE(sim::openHandles(), 0);
        QCOMPARE(sim::closedHandleUses(), 0);
        const QString lost = damaged(before, intended, sim::flash(pid));
        QVERIFY2(lost.isEmpty(), qPrintable(lost));
    }
};

}  // namespace ft
