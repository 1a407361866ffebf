// Shared by the window's fault tests: a log of every message box (each
// answered the way a user would), what the wheel keeps field by field, and
// one scenario: the owner's wheel, a window on it, and the checks it ends with.
#pragma once

#include "testutil.h"

#include <QMap>

namespace ft {

// Answers every message box as it comes (Yes where it asks, otherwise OK)
// and keeps what each one said.
class BoxLog : public QObject {
public:
    struct Box {
        QString title, text;
        QMessageBox::Icon icon;
    };
    BoxLog() : m_current(tu::answerBox(QMessageBox::Yes)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!m_current->answered()) return;
            boxes.append({m_current->title(), m_current->text(), m_current->icon()});
            m_current = tu::answerBox(QMessageBox::Yes);
        });
        m_timer.start(2);
    }
    QList<Box> boxes;

    // A box that claims something reached the wheel.
    bool successShown() const {
        return std::any_of(boxes.begin(), boxes.end(), [](const Box &b) {
            return b.title == QLatin1String("Success") || b.text.contains(QLatin1String("successfully"));
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
    std::unique_ptr<tu::ModalAnswerer> m_current;
    QTimer m_timer;
};

// What a wheel keeps, one entry per field, so that a comparison names the
// field that changed.
inline QMap<QString, QString> fields(const sim::WheelState &s) {
    QMap<QString, QString> f{{"name", QString::fromStdString(s.name)},
                             {"paddle value", QString::number(s.paddleValue)},
                             {"extra present", QString::number(s.extraPresent)},
                             {"extra colours", tu::hex({s.extraColours.begin(), s.extraColours.end()})},
                             {"firmware version", QString::fromStdString(s.firmwareVersion)},
                             {"led table", tu::hex(s.ledTable)}};
    for (size_t i = 0; i < 4; ++i)
        f[QStringLiteral("paddle limit %1").arg(i)] = QString::number(s.paddleLimits[i]);
    for (const auto &[sub, value] : s.settings)
        f[QStringLiteral("setting %1").arg(sub)] = QString::number(value);
    for (const auto &[sub, value] : s.shifterThresholds)
        f[QStringLiteral("threshold %1").arg(sub)] = QString::number(value);
    return f;
}

// Fields of `after` that are neither what the wheel had nor what a store
// meant to put there: lost or corrupted data. Empty when all is well.
inline QString damaged(const sim::WheelState &before, const sim::WheelState &intended,
                       const sim::WheelState &after) {
    const auto b = fields(before), i = fields(intended), a = fields(after);
    QStringList out;
    for (const QString &k : (b.keys() + i.keys() + a.keys())) {
        if (a.value(k) != b.value(k) && a.value(k) != i.value(k) && !out.contains(k))
            out << k + QLatin1String(": had ") + b.value(k) + QLatin1String(", meant ") + i.value(k) +
                       QLatin1String(", now ") + a.value(k);
    }
    return out.join(QLatin1Char('\n'));
}

// A wheel set up and calibrated by its owner: every stored value differs
// from the factory's and the window's defaults, so any value the window
// writes back without reading it first shows.
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

// The Read record requests (record, sub-index) of one fault-free connection
// of `name`, in order, the first status poll included.
inline std::vector<std::pair<int, int>> connectionReads(const char *name, uint16_t pid) {
    tu::resetBus();
    sim::plug(pid, name);
    auto w = tu::makeWindow();
    const bool up = QTest::qWaitFor(
        [&] { return tu::connected(*w) && (w->timers.poll.interval() > 0 || !w->statusPolling); }, 5000);
    QTest::qWait(20);  // posted work
    const auto reads = up ? tu::readRequests() : std::vector<std::pair<int, int>>();
    w.reset();
    tu::resetBus();
    return reads;
}

// The owner's wheel, a window on it, and the checks every scenario ends with.
// After a helper that verifies, the caller returns on QTest::currentTestFailed().
struct Scenario {
    static constexpr uint16_t pid = 0x2007;
    std::unique_ptr<TestWindow> w;
    BoxLog boxes;
    sim::WheelState before;

    // The owner's wheel on the bus; `arm` runs just before the window opens.
    explicit Scenario(const char *name, const std::function<void()> &arm = {}) {
        tu::resetBus();
        sim::plug(pid, name);
        sim::setFlash(pid, ownersWheel(name));
        before = sim::flash(pid);
        if (arm) arm();
        w = tu::makeWindow();
    }
    ~Scenario() {
        w.reset();
        sim::clearFaults();
    }

    // After a fault: connected again, or back on the bus after a pull; a
    // refused identity's retry is driven here, not waited for.
    void settle() {
        QTRY_COMPARE(sim::pendingFaults(), 0);
        if (!sim::isPlugged(pid)) return replug();
        // Connected on whichever page is in front.
        const auto linked = [this] {
            return device::Device::instance().isOpen() && w->productId != 0 && w->ui->pbStatus->isHidden() &&
                   w->eventThread.isRunning() && !w->timers.retry.isActive();
        };
        QTRY_VERIFY(linked() || tu::waiting(*w));
        if (tu::waiting(*w)) w->onInit();
        QTRY_VERIFY(linked());
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
        QCOMPARE(w->ui->cbClutch->isChecked(), now.settings.at(0x08) == 1);
        QCOMPARE((std::array<quint32, 4>{w->rightMax, w->leftMax, w->rightMin, w->leftMin}),
                 (std::array<quint32, 4>{now.paddleLimits[0], now.paddleLimits[1], now.paddleLimits[2],
                                         now.paddleLimits[3]}));
    }

    // The user closes the window: no box, no thread or handle left behind,
    // and nothing stored differs from `intended` but where it still holds
    // what it had.
    void closeAndCheck(const sim::WheelState &intended) {
        const int shown = boxes.boxes.size();
        if (w->isVisible()) w->ui->pbClose->click();
        QVERIFY(w->eventThread.isFinished() && !w->upgradeThread.isRunning());
        QTest::qWait(10);  // a late box would show now
        QVERIFY2(boxes.boxes.size() == shown, qPrintable(boxes.summary()));
        w.reset();
        QCOMPARE(sim::openHandles(), 0);
        QCOMPARE(sim::closedHandleUses(), 0);
        const QString lost = damaged(before, intended, sim::flash(pid));
        QVERIFY2(lost.isEmpty(), qPrintable(lost));
    }
};

}  // namespace ft
