// The hint for a wheel that is attached but may not be opened (no udev rule):
// the scan of a fake sysfs tree, and the waiting window's status dot.
#include "device/access.h"
#include "testutil.h"

#include <QFile>

#include <set>
#include <string>

#ifdef __linux__
#include <unistd.h>

namespace {

std::set<std::string> blockedNodes;
bool mayOpen(const std::string &node) { return blockedNodes.count(node) == 0; }

const QString kHint = QStringLiteral(
    "Wheel found, but this user may not open it. Install the udev rule 70-orvane.rules (see README).");

// sys/<node>/device/uevent with the given HID_ID, and an empty dev/<node>.
void addNode(const QTemporaryDir &root, const char *node, const char *hidId) {
    QDir(root.path()).mkpath(QStringLiteral("sys/%1/device").arg(QLatin1String(node)));
    QDir(root.path()).mkpath(QStringLiteral("dev"));
    QFile uevent(root.filePath(QStringLiteral("sys/%1/device/uevent").arg(QLatin1String(node))));
    QVERIFY(uevent.open(QIODevice::WriteOnly));
    uevent.write("DRIVER=hid-generic\nHID_ID=");
    uevent.write(hidId);
    uevent.write("\nHID_NAME=Some device\n");
    QFile dev(root.filePath(QStringLiteral("dev/%1").arg(QLatin1String(node))));
    QVERIFY(dev.open(QIODevice::WriteOnly));
}

device::HidrawScan scanOf(const QTemporaryDir &root, bool (*check)(const std::string &) = &mayOpen) {
    device::HidrawScan scan;
    scan.sysfs = root.filePath(QStringLiteral("sys")).toStdString();
    scan.dev = root.filePath(QStringLiteral("dev")).toStdString();
    scan.mayOpen = check;
    return scan;
}

std::string nodePath(const QTemporaryDir &root, const char *node) {
    return root.filePath(QStringLiteral("dev/%1").arg(QLatin1String(node))).toStdString();
}

}  // namespace
#endif

class AccessTest : public QObject {
    Q_OBJECT

private slots:
#ifdef __linux__
    void cleanup() {
        blockedNodes.clear();
        device::waitingScan() = device::HidrawScan();
        tu::resetBus();
    }

    void onlyABlockedWheelCounts() {
        QTemporaryDir root;
        addNode(root, "hidraw0", "0003:0000046D:0000C52B");  // a mouse receiver
        addNode(root, "hidraw1", "0003:0000C872:0000200A");  // a wheel
        addNode(root, "hidraw2", "0003:0000C872:00002006");  // the maker's, not a wheel
        addNode(root, "hidraw3", "0005:0000C872:00002007");  // a wheel over Bluetooth
        const device::HidrawScan scan = scanOf(root);

        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // everything may be opened
        blockedNodes = {nodePath(root, "hidraw0"), nodePath(root, "hidraw2")};
        QVERIFY(!device::wheelFoundWithoutAccess(scan));
        for (const char *wheel : {"hidraw1", "hidraw3"}) {  // on USB, over Bluetooth
            blockedNodes = {nodePath(root, wheel)};
            QVERIFY2(device::wheelFoundWithoutAccess(scan), wheel);
        }

        device::HidrawScan nowhere = scan;
        nowhere.sysfs = root.filePath(QStringLiteral("missing")).toStdString();
        QVERIFY(!device::wheelFoundWithoutAccess(nowhere));
    }

    void asksTheSystemByDefault() {
        QTemporaryDir root;
        addNode(root, "hidraw4", "0003:0000C872:00002007");
        const device::HidrawScan scan = scanOf(root, nullptr);
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // a plain file of ours
        QVERIFY(QFile::remove(root.filePath(QStringLiteral("dev/hidraw4"))));
        QVERIFY(!device::wheelFoundWithoutAccess(scan));  // no node: no permission problem
        QFile node(root.filePath(QStringLiteral("dev/hidraw4")));
        QVERIFY(node.open(QIODevice::WriteOnly));
        node.close();
        QVERIFY(node.setPermissions(QFileDevice::Permissions()));
        // Root opens anything, so only an ordinary user sees the refusal.
        QCOMPARE(device::wheelFoundWithoutAccess(scan), ::geteuid() != 0);
    }

    void waitingWindowNamesTheRule() {
        QTemporaryDir root;
        addNode(root, "hidraw7", "0003:0000C872:00002009");
        blockedNodes = {nodePath(root, "hidraw7")};
        device::waitingScan() = scanOf(root);
        tu::resetBus();

        QStringList debug;
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, true);
        static QStringList *sink = nullptr;
        sink = &debug;
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { sink->append(text); });

        auto w = tu::makeWindow();
        QTRY_VERIFY(tu::waiting(*w));
        QCOMPARE(w->ui->pbStatus->toolTip(), kHint);
        QCOMPARE(debug.count(kHint), 1);
        QCOMPARE(w->ui->stackedWidget->currentIndex(), 4);  // no box, the usual waiting state
        QVERIFY(!QApplication::activeModalWidget());

        // Still blocked at the next retry: the same hint, not logged again.
        w->enterWaitingState();
        QCOMPARE(w->ui->pbStatus->toolTip(), kHint);
        QCOMPARE(debug.count(kHint), 1);

        // The rule is in: the hint goes with the next retry.
        blockedNodes.clear();
        w->enterWaitingState();
        QVERIFY(w->ui->pbStatus->toolTip().isEmpty());

        qInstallMessageHandler(previous);
        QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, false);

        sim::plug(0x2009, "M-ZEN");
        w->onInit();  // the retry, without waiting for it
        QTRY_VERIFY(tu::connected(*w));
    }
#endif
};

ORVANE_TEST_MAIN(AccessTest)
#include "test_access.moc"
