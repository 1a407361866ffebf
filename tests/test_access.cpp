// The hint for a wheel that is attached but may not be opened (no udev rule):
// the scan of a fake sysfs tree, and the waiting window's status dot.
#include "device/access.h"
#include "testutil.h"

#include <unistd.h>

#include <set>

namespace {

std::set<std::string> blocked;
bool mayOpen(const std::string &node) { return blocked.count(node) == 0; }

const QString kHint = QString::fromLatin1(device::kNoAccessHint);

// A scan of sys/hidraw0/device/uevent with the given HID_ID, and an empty dev/hidraw0.
device::HidrawScan scanOf(const QTemporaryDir &root, const char *hidId, bool (*check)(const std::string &)) {
    QDir(root.path()).mkpath(QStringLiteral("sys/hidraw0/device"));
    QDir(root.path()).mkpath(QStringLiteral("dev"));
    QFile uevent(root.filePath(QStringLiteral("sys/hidraw0/device/uevent")));
    if (uevent.open(QIODevice::WriteOnly))
        uevent.write(QByteArray("DRIVER=hid-generic\nHID_ID=") + hidId + "\nHID_NAME=Some device\n");
    QFile(root.filePath(QStringLiteral("dev/hidraw0"))).open(QIODevice::WriteOnly);
    return {root.filePath(QStringLiteral("sys")).toStdString(),
            root.filePath(QStringLiteral("dev")).toStdString(), check};
}

}  // namespace

class AccessTest : public QObject {
    Q_OBJECT

private slots:
    // Only a wheel (on USB or paired over Bluetooth) that may not be opened counts.
    void onlyABlockedWheelCounts_data() {
        QTest::addColumn<QByteArray>("hidId");
        QTest::addColumn<bool>("wheel");
        QTest::newRow("wheel on USB") << QByteArray("0003:0000C872:0000200A") << true;
        QTest::newRow("wheel over Bluetooth") << QByteArray("0005:0000C872:00002007") << true;
        QTest::newRow("mouse receiver") << QByteArray("0003:0000046D:0000C52B") << false;
        QTest::newRow("the maker's, not a wheel") << QByteArray("0003:0000C872:00002006") << false;
        QTest::newRow("another maker's, a wheel's ID") << QByteArray("0003:0000046D:00002007") << false;
        QTest::newRow("another bus") << QByteArray("0001:0000C872:00002007") << false;
    }
    void onlyABlockedWheelCounts() {
        QFETCH(QByteArray, hidId);
        QFETCH(bool, wheel);
        QTemporaryDir root;
        device::HidrawScan scan = scanOf(root, hidId.constData(), &mayOpen);
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // it may be opened
        blocked = {scan.dev + "/hidraw0"};
        QCOMPARE(device::wheelFoundWithoutAccess(scan), wheel);
        blocked.clear();
        scan.sysfs += "/missing";
        QVERIFY(!device::wheelFoundWithoutAccess(scan));
    }

    void asksTheSystemByDefault() {
        QTemporaryDir root;
        const device::HidrawScan scan = scanOf(root, "0003:0000C872:00002007", nullptr);
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // a plain file of ours
        QFile node(root.filePath(QStringLiteral("dev/hidraw0")));
        QVERIFY(node.setPermissions(QFileDevice::Permissions()));
        // Root opens anything, so only an ordinary user sees the refusal.
        QCOMPARE(device::wheelFoundWithoutAccess(scan), ::geteuid() != 0);
        QVERIFY(node.remove());
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // no node: no permission problem
    }

    // The hint shows while the wheel is blocked, logged once, and goes with
    // the first retry after the rule is in.
    void waitingWindowNamesTheRule() {
        QTemporaryDir root;
        device::waitingScan() = scanOf(root, "0003:0000C872:00002009", &mayOpen);
        blocked = {device::waitingScan().dev + "/hidraw0"};
        tu::resetBus();
        static int logged = 0;
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, true);
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { logged += text == kHint; });

        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::waiting(*w));
        QCOMPARE(w->ui->pbStatus->toolTip(), kHint);
        QVERIFY(!QApplication::activeModalWidget());
        w->enterWaitingState();
        QCOMPARE(w->ui->pbStatus->toolTip(), kHint);
        QCOMPARE(logged, 1);
        blocked.clear();
        w->enterWaitingState();
        QVERIFY(w->ui->pbStatus->toolTip().isEmpty());
        qInstallMessageHandler(previous);
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, false);

        sim::plug(0x2009, "M-ZEN");
        w->onInit();  // the retry, without waiting for it
        QTRY_VERIFY(tu::connected(*w));
        device::waitingScan() = device::HidrawScan();
    }
};

ORVANE_TEST_MAIN(AccessTest)
#include "test_access.moc"
