// What keeps the window cheap to run: widget changes painted in frames, not
// one paint per input report; a connection that makes only the exchanges it
// needs.
#include "device/models.h"
#include "testutil.h"

#include <QImage>
#include <QScreen>

namespace {

using tu::payload;

// Counts frames on a few widgets: paint events that follow each other
// without the event loop moving on belong to one frame.
class FrameCounter : public QObject {
public:
    explicit FrameCounter(std::initializer_list<QWidget *> widgets) {
        for (QWidget *w : widgets) w->installEventFilter(this);
    }
    int frames = 0;
    int paints = 0;
    std::function<void()> onFrame;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (!m_inFrame) {
                m_inFrame = true;
                ++frames;
                if (onFrame) onFrame();
                QTimer::singleShot(0, this, [this] { m_inFrame = false; });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_inFrame = false;
};

}  // namespace

class FramesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { tu::resetBus(); }

    void decodingNeverPaintsAndTheFrameShowsTheLastReport() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        QTest::qWait(50);
        FrameCounter counter({w->ui->pgAdcR, w->ui->pgAdcL, w->ui->pbIB9});
        int shownRight = -1;
        counter.onFrame = [&] { shownRight = w->ui->pgAdcR->value(); };

        // The bars' setValue asks for an immediate repaint; none may happen
        // while reports are decoded back to back.
        for (int i = 1; i <= 200; ++i) {
            w->onJoystickEvent(payload(uint16_t(i * 20), uint16_t(4096 - i * 20), i % 2 ? 1ull << 32 : 0));
            QCOMPARE(counter.paints, 0);
        }
        QTRY_VERIFY(counter.frames > 0);
        QTest::qWait(100);
        QCOMPARE(counter.frames, 1);
        QCOMPARE(shownRight, 4000);
        QVERIFY(w->ui->pbIB9->isHidden());
        // A bar moved by a pixel is painted too (QProgressBar alone skips it).
        w->onJoystickEvent(payload(4030, 96, 0));
        QTRY_COMPARE(counter.frames, 2);
    }

    // What live reports leave on screen, painted from copies, is what the
    // window paints from scratch: stick indicators sharing a spot, bars at
    // any value.
    void liveFramesLookLikeAFreshPaint() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        FrameCounter counter({w->ui->pgAdcR});
        auto next = [seed = quint32(7)]() mutable { return (seed = seed * 1103515245 + 12345) >> 8; };
        quint64 bits = 0;
        for (int frame = 0; frame < 60; ++frame) {
            for (int i = 0; i < 8; ++i) {
                bits ^= quint64(1) << (next() % 16);
                w->onJoystickEvent(payload(uint16_t(next() % 4097), uint16_t(next() % 4097), bits));
            }
            const int frames = counter.frames;
            QTRY_VERIFY(counter.frames > frames);
        }
        const QImage live = w->screen()->grabWindow(w->winId()).toImage();
        QEvent restyled(QEvent::StyleChange);  // drops every copy: all painted from scratch
        for (QWidget *child : w->ui->page1->findChildren<QWidget *>())
            QCoreApplication::sendEvent(child, &restyled);
        const int frames = counter.frames;
        QTRY_VERIFY(counter.frames > frames);
        QCOMPARE(w->screen()->grabWindow(w->winId()).toImage(), live);
    }

    void aConnectionMakesOnlyTheExchangesItNeeds() {
        tu::resetBus();
        sim::plug(0x2007, "M-ZEN");
        auto w = tu::makeWindow();
        QCOMPARE(w->windowFlags(), Qt::Window | Qt::FramelessWindowHint);
        QVERIFY(!w->ui->cbClutch->isChecked());  // turns on with this wheel's setting
        QTRY_VERIFY(tu::connected(*w));
        QTest::qWait(50);
        QVERIFY(w->ui->cbClutch->isChecked() && !w->ui->gpClutch->isHidden());
        using R = std::vector<std::pair<int, int>>;
        // Identity, extra pair flag, four LED blocks, extra colours, paddle
        // record, pulse widths, clutches, firmware version, the paddle record
        // once more for the clutches, power status.
        // clang-format off
        QCOMPARE(tu::readRequests(), (R{{0x0D, 0}, {0x11, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 0}, {0x11, 0}, {0x0A, 0},
                                        {0x0C, 0x04}, {0x0C, 0x0A}, {0x0C, 0x08}, {0x09, 0}, {0x0A, 0}, {0x0F, 0}}));
        // clang-format on
        QVERIFY(tu::commands().empty());
    }
};

ORVANE_TEST_MAIN(FramesTest)
#include "test_frames.moc"
