// The paddles page against the simulated wheel: the paddle record live and
// stored, the two switches, Save and the silent store on close.
#include "settings/storedvalue.h"
#include "testutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;

// Write paddle record with the factory limits (4096, 4096, 0, 0).
tu::Bytes paddleFrame(uint16_t value, uint8_t store) {
    return tu::frame({0x02, 0x0A, value & 0xFF, value >> 8, store, 0x00, 0x10, 0x00, 0x10});
}

QString show(const std::vector<tu::Bytes> &frames) {
    QStringList out;
    for (const auto &f : frames) out << QString::fromLatin1(tu::hex(f));
    return out.join(QLatin1Char('\n'));
}

}  // namespace

class TestPaddles : public QObject {
    Q_OBJECT

private slots:
    void storedValueParsing() {
        QCOMPARE(settings::storedValue(QStringLiteral("20001")), 20001);
        QCOMPARE(settings::storedValue(QStringLiteral("-7")), -7);
        QCOMPARE(settings::storedValue(QString()), 0);
        QCOMPARE(settings::storedValue(QStringLiteral("50.5")), 0);
        QCOMPARE(settings::storedValue(QStringLiteral("0x10")), 0);
        QCOMPARE(settings::storedValue(QStringLiteral("2147483648")), 0);
    }

    void liveWritesFollowModeAndRelease() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        QVERIFY(w->ui->rbPadL->isChecked());
        QCOMPARE(w->ui->hsBite->value(), 5000);
        sim::clearLog();

        w->ui->rbPadR->click();
        w->ui->hsBite->setValue(1234);  // keyboard or wheel: label only
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("12.34%"));
        QCOMPARE(tu::commands().size(), size_t(1));
        emit w->ui->hsBite->sliderReleased();
        w->ui->rbPadNo->click();
        w->ui->hsBite->setValue(12);
        emit w->ui->hsBite->sliderReleased();
        w->ui->rbPadL->click();
        const std::vector<tu::Bytes> expected = {paddleFrame(15001, 0), paddleFrame(11235, 0),
                                                 paddleFrame(65535, 0), paddleFrame(65535, 0),
                                                 paddleFrame(12, 0)};
        QCOMPARE(show(tu::commands()), show(expected));
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("0.12%"));
        QCOMPARE(sim::live(kPid).paddleValue, uint16_t(12));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(5000));
    }

    void readBackDecodesBoundaries() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        struct Case {
            uint16_t value;
            QRadioButton *mode;
            int bite;
            const char *label;
        } cases[] = {{10000, w->ui->rbPadL, 10000, "100.00%"},
                     {10001, w->ui->rbPadR, 0, "0.00%"},
                     {20001, w->ui->rbPadR, 10000, "100.00%"},
                     {20002, w->ui->rbPadNo, 5000, "50.00%"}};
        for (const Case &c : cases) {
            w->ui->hsBite->setValue(777);
            sim::WheelState s = sim::flash(kPid);
            s.paddleValue = c.value;
            s.paddleLimits = {4000, 3900, 100, 200};
            sim::setFlash(kPid, s);
            w->readPaddleRecord();
            QVERIFY2(c.mode->isChecked(), qPrintable(QString::number(c.value)));
            QCOMPARE(w->ui->hsBite->value(), c.bite);
            QCOMPARE(w->ui->lbBite->text(), QLatin1String(c.label));
            QCOMPARE(w->ui->hsBite->statusTip(), QString::number(c.value));
        }
        QCOMPARE(w->rightMax, 4000u);
        QCOMPARE(w->leftMax, 3900u);
        QCOMPARE(w->rightMin, 100u);
        QCOMPARE(w->leftMin, 200u);

        // A read that fails leaves the window's record alone.
        sim::WheelState s = sim::flash(kPid);
        s.paddleValue = 300;
        s.paddleLimits = {1, 2, 3, 4};
        sim::setFlash(kPid, s);
        sim::injectFault(sim::Op::Get, 1, sim::Fault::Fail);
        w->readPaddleRecord();
        QVERIFY(w->ui->rbPadNo->isChecked());
        QCOMPARE(w->ui->hsBite->statusTip(), QStringLiteral("20002"));
        QCOMPARE(w->rightMax, 4000u);
        QCOMPARE(w->leftMin, 200u);
    }

    void saveWritesWhatDiffers() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        QVERIFY(w->ui->cbClutch->isChecked());   // factory: clutches on
        QVERIFY(!w->ui->cbShifter->isChecked());  // factory: extra shifters off
        w->ui->cbShifter->setChecked(true);

        // Unchanged paddle value: no record, both switches read back, the one
        // that differs written over the answer (noise in its tail shows it).
        sim::clearLog();
        sim::injectFault(sim::Op::Get, 1, sim::Fault::Garbage, 7);
        {
            auto box = tu::answerBox(QMessageBox::Ok);
            w->ui->pbSaveP->click();
            QCOMPARE(box->title(), QStringLiteral("Success"));
            QCOMPARE(box->text(), QStringLiteral("Setting saved."));
            QCOMPARE(box->icon(), QMessageBox::Information);
        }
        tu::Bytes answer;
        for (const auto &e : sim::frameLog())
            if (e.op == sim::Op::Get && answer.empty()) answer = e.bytes;
        QCOMPARE(answer.size(), size_t(21));
        QVERIFY(answer[3] != 1 || answer[4] || answer[5] || answer[6]);  // reads as off
        tu::Bytes expected = tu::frame({0x02, 0x0C, 0x09, 0x01, 0x00, 0x00, 0x00, 0xEF});
        std::copy(answer.begin() + 8, answer.begin() + 20, expected.begin() + 8);
        QCOMPARE(show(tu::commands()), show({expected}));
        QCOMPARE(tu::readRequests(), (std::vector<std::pair<int, int>>{{0x0C, 0x09}, {0x0C, 0x08}}));
        QCOMPARE(sim::flash(kPid).settings[0x09], 1);

        // A changed bite point is stored and remembered; matching switches are
        // not written again.
        w->ui->hsBite->setValue(7000);
        sim::clearLog();
        {
            auto box = tu::answerBox(QMessageBox::Ok);
            w->ui->pbSaveP->click();
            QCOMPARE(box->text(), QStringLiteral("Setting saved."));
        }
        QCOMPARE(show(tu::commands()), show({paddleFrame(7000, 0xEF)}));
        QCOMPARE(w->ui->hsBite->statusTip(), QStringLiteral("7000"));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(7000));

        // A failed switch write is a failure (reads 09, 08, then writes 08).
        w->ui->cbClutch->setChecked(false);
        sim::injectFault(sim::Op::Send, 3, sim::Fault::Fail);
        {
            auto box = tu::answerBox(QMessageBox::Ok);
            w->ui->pbSaveP->click();
            QCOMPARE(box->title(), QStringLiteral("Error"));
            QCOMPARE(box->text(), QStringLiteral("Can not save setting."));
            QCOMPARE(box->icon(), QMessageBox::Critical);
        }
        QCOMPARE(sim::flash(kPid).settings[0x08], 1);

        // So is a failed paddle record; the old value stays remembered and the
        // next Save tries again.
        w->ui->hsBite->setValue(6000);
        sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);
        {
            auto box = tu::answerBox(QMessageBox::Ok);
            w->ui->pbSaveP->click();
            QCOMPARE(box->text(), QStringLiteral("Can not save setting."));
        }
        QCOMPARE(w->ui->hsBite->statusTip(), QStringLiteral("7000"));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(7000));
        {
            auto box = tu::answerBox(QMessageBox::Ok);
            w->ui->pbSaveP->click();
            QCOMPARE(box->text(), QStringLiteral("Setting saved."));
        }
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(6000));
        QCOMPARE(sim::flash(kPid).settings[0x08], 255);

        // A tip without a number counts as 0: LEFT at 0 is taken as stored.
        w->ui->hsBite->setValue(0);
        w->ui->hsBite->setStatusTip(QStringLiteral("none"));
        sim::clearLog();
        {
            auto box = tu::answerBox(QMessageBox::Ok);
            w->ui->pbSaveP->click();
        }
        QVERIFY(tu::commands().empty());
    }

    void closeStoresSilently() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        w->ui->rbPadR->click();
        w->ui->hsBite->setValue(3000);  // not released: nothing sent yet
        QCOMPARE(sim::live(kPid).paddleValue, uint16_t(15001));
        tu::ModalAnswerer watch([](QWidget *modal) { modal->close(); });
        w->ui->pbClose->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!watch.answered());
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(13001));
        w.reset();

        sim::unplug(kPid);
        sim::plug(kPid, "M-ZEN");
        auto again = tu::makeWindow();
        QTRY_VERIFY(tu::connected(*again));
        QVERIFY(again->ui->rbPadR->isChecked());
        QCOMPARE(again->ui->hsBite->value(), 3000);
        QCOMPARE(again->ui->hsBite->statusTip(), QStringLiteral("13001"));
    }

    void noWheelNoSave() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        sim::unplug(kPid);
        QTRY_VERIFY(tu::waiting(*w));
        w->ui->hsBite->setValue(4321);
        tu::ModalAnswerer watch([](QWidget *modal) { modal->close(); });
        sim::clearLog();
        w->ui->pbSaveP->click();
        QVERIFY(!watch.answered());
        QVERIFY(tu::commands().empty());
    }
};

ORVANE_TEST_MAIN(TestPaddles)
#include "test_paddles.moc"
