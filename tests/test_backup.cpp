// The device page's BACK UP SETTINGS and RESTORE SETTINGS against the
// simulated wheel, every dialog answered the way a user would.
#include "testutil.h"

#include <QFileDialog>

namespace {

// Answers the modal dialogs to come, one after another: a file dialog with
// the given path, a message box with the given button (NoButton: Enter).
// Keeps the file each file dialog offered and each box's text.
class Dialogs : public QObject {
public:
    explicit Dialogs(std::vector<QVariant> answers) : m_answers(std::move(answers)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last || m_answers.empty()) return;
            m_last = modal;
            const QVariant answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            if (auto *files = qobject_cast<QFileDialog *>(modal)) {
                offered << files->selectedFiles().value(0);
                files->selectFile(answer.toString());
                QMetaObject::invokeMethod(files, "accept");
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                texts << box->text();
                if (answer.toInt() == QMessageBox::NoButton) QTest::keyClick(box, Qt::Key_Return);
                else box->button(QMessageBox::StandardButton(answer.toInt()))->click();
            }
        });
        m_timer.start(5);
    }
    bool done() const { return m_answers.empty(); }
    QStringList offered, texts;

private:
    std::vector<QVariant> m_answers;
    QTimer m_timer;
    QPointer<QWidget> m_last;
};

}  // namespace

class BackupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    // Back up, change the wheel, restore: the wheel and every page hold the
    // backed-up values again; Enter at the question restores nothing.
    void backUpAndRestore() {
        auto w = tu::connectedWindow("M-ZEN");
        QVERIFY(w);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mine.json"));
        Dialogs backUp({path, QMessageBox::Ok});
        QTimer::singleShot(0, w->button("pbBackUp"), &QPushButton::click);
        QTRY_VERIFY(backUp.done());
        QCOMPARE(QFileInfo(backUp.offered.value(0)).fileName(), QStringLiteral("M-ZEN-settings.json"));
        QCOMPARE(backUp.texts, QStringList{QStringLiteral("Settings saved to %1.").arg(path)});

        sim::WheelState changed = sim::flash(0x2007);
        changed.paddleValue = 1234;
        changed.settings[device::SetEncoderPulse] = 200;
        sim::setFlash(0x2007, changed);
        w->readPaddleRecord();
        w->readEncoderPulseWidth();
        QCOMPARE(w->ui->hsBite->value(), 1234);
        const QString changes = "Bite point: 12.34 % -> 50.00 %\nEncoder pulse: 200 ms -> 100 ms";
        {
            Dialogs declined({path, int(QMessageBox::NoButton), QMessageBox::Ok});  // Enter: No, the default
            QTimer::singleShot(0, w->button("pbRestore"), &QPushButton::click);
            QTRY_COMPARE(declined.texts.size(), 1);
            QVERIFY2(declined.texts.value(0).contains(changes), qPrintable(declined.texts.value(0)));
            QCOMPARE(sim::flash(0x2007).paddleValue, uint16_t(1234));
        }
        Dialogs restore({path, QMessageBox::Yes, QMessageBox::Ok});
        QTimer::singleShot(0, w->button("pbRestore"), &QPushButton::click);
        QTRY_VERIFY(restore.done());
        QCOMPARE(restore.texts.value(1), QStringLiteral("Settings restored."));
        QCOMPARE(sim::flash(0x2007).paddleValue, uint16_t(5000));
        QCOMPARE(sim::flash(0x2007).settings[device::SetEncoderPulse], 100);
        QCOMPARE(w->ui->hsBite->value(), 5000);
        QCOMPARE(w->ui->hsTrigger->value(), 100);
    }
};

ORVANE_TEST_MAIN(BackupTest)
#include "test_backup.moc"
