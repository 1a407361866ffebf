// The paddles page against the simulated wheel: the paddle record live and
// stored, the two switches, Save and the silent store on close.
#include "testutil.h"

namespace {

constexpr uint16_t kPid = 0x2007;

// Write paddle record with the factory limits (4096, 4096, 0, 0).
tu::Bytes paddleFrame(uint16_t value, uint8_t store) {
    return tu::frame({0x02, 0x0A, value & 0xFF, value >> 8, store, 0x00, 0x10, 0x00, 0x10});
}

QString save(TestWindow &w) {
    auto box = tu::answerBox(QMessageBox::Ok);
    w.ui->pbSaveP->click();
    const bool error = box->icon() == QMessageBox::Critical;
    return box->title() + QLatin1Char('/') + box->text() + (error ? "/critical" : "");
}

}  // namespace

class PaddlesTest : public QObject {
    Q_OBJECT

private slots:
    void liveWritesFollowModeAndRelease() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        QVERIFY(w->ui->rbPadL->isChecked());
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
        QCOMPARE(tu::show(tu::commands()),
                 tu::show({paddleFrame(15001, 0), paddleFrame(11235, 0), paddleFrame(65535, 0),
                           paddleFrame(65535, 0), paddleFrame(12, 0)}));
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("0.12%"));
        QCOMPARE(sim::live(kPid).paddleValue, uint16_t(12));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(5000));
    }

    void readBackDecodesBoundaries() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        const struct {
            uint16_t value;
            QRadioButton *mode;
            int bite;
        } cases[] = {{10000, w->ui->rbPadL, 10000}, {10001, w->ui->rbPadR, 0}, {20002, w->ui->rbPadNo, 5000}};
        for (const auto &c : cases) {
            w->ui->hsBite->setValue(777);
            sim::WheelState s = sim::flash(kPid);
            s.paddleValue = c.value;
            s.paddleLimits = {4000, 3900, 100, 200};
            sim::setFlash(kPid, s);
            w->readPaddleRecord();
            QVERIFY2(c.mode->isChecked(), qPrintable(QString::number(c.value)));
            QCOMPARE(w->ui->hsBite->value(), c.bite);
            QCOMPARE(w->ui->hsBite->statusTip(), QString::number(c.value));
        }
        QCOMPARE(w->ui->lbBite->text(), QStringLiteral("50.00%"));
        QCOMPARE((std::array<quint32, 4>{w->rightMax, w->leftMax, w->rightMin, w->leftMin}),
                 (std::array<quint32, 4>{4000, 3900, 100, 200}));
    }

    void saveWritesWhatDiffers() {
        auto w = tu::connectedWindow("PQV7", kPid);
        QVERIFY(w);
        QVERIFY(w->ui->cbClutch->isChecked() && !w->ui->cbShifter->isChecked());  // factory
        w->ui->cbShifter->setChecked(true);

        // Unchanged paddle value: no record; both switches read back, the one
        // that differs stored.
        sim::clearLog();
        QCOMPARE(save(*w), QStringLiteral("Success/Setting saved."));
        QCOMPARE(tu::show(tu::commands()),
                 tu::show({tu::frame({0x02, 0x0C, 0x09, 0x01, 0x00, 0x00, 0x00, 0xEF})}));
        QCOMPARE(tu::readRequests(), (std::vector<std::pair<int, int>>{{0x0C, 0x09}, {0x0C, 0x08}}));
        QCOMPARE(sim::flash(kPid).settings[0x09], 1);

        // A changed bite point is stored and remembered.
        w->ui->hsBite->setValue(7000);
        sim::clearLog();
        QCOMPARE(save(*w), QStringLiteral("Success/Setting saved."));
        QCOMPARE(tu::show(tu::commands()), tu::show({paddleFrame(7000, 0xEF)}));
        QCOMPARE(w->ui->hsBite->statusTip(), QStringLiteral("7000"));

        // A failed paddle record fails the Save and stays unremembered for
        // the next Save to retry. (A failed switch: test_faults_save.)
        w->ui->hsBite->setValue(6000);
        sim::injectFault(sim::Op::Send, 1, sim::Fault::Fail);
        QCOMPARE(save(*w), QStringLiteral("Error/Can not save setting./critical"));
        QCOMPARE(w->ui->hsBite->statusTip(), QStringLiteral("7000"));
        QCOMPARE(save(*w), QStringLiteral("Success/Setting saved."));
        QCOMPARE(sim::flash(kPid).paddleValue, uint16_t(6000));
    }

    void closeStoresSilently() {
        auto w = tu::connectedWindow("M-ZEN", kPid);
        QVERIFY(w);
        w->ui->rbPadR->click();
        w->ui->hsBite->setValue(3000);  // not released: nothing sent yet
        tu::ModalAnswerer watch([](QWidget *modal) { modal->close(); });
        w->ui->pbClose->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!watch.answered());
        w.reset();

        sim::unplug(kPid);
        sim::plug(kPid, "M-ZEN");
        auto again = tu::makeWindow();
        QTRY_VERIFY(tu::connected(*again));
        QVERIFY(again->ui->rbPadR->isChecked());
        QCOMPARE(again->ui->hsBite->value(), 3000);
        QCOMPARE(again->ui->hsBite->statusTip(), QStringLiteral("13001"));
    }
};

ORVANE_TEST_MAIN(PaddlesTest)
#include "test_paddles.moc"
