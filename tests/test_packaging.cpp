// The desktop files against the program: the udev rule (USB and Bluetooth)
// and the AppStream modaliases name exactly the product IDs the program
// opens.
#include "device/protocol.h"

#include <QXmlStreamReader>
#include <QtTest>

namespace {

QByteArray packagingFile(const QString &relative) {
    QFile file(QFINDTESTDATA(QStringLiteral("../packaging/linux/") + relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class PackagingTest : public QObject {
    Q_OBJECT

private slots:
    void everyWheelLetInAndListed() {
        // Access for the user at the seat only, never a mode or a group. A wheel
        // on USB by its USB device's IDs; one over Bluetooth (bus 0005) has none,
        // so by its HID device's kernel name, which spells the IDs in upper case.
        QStringList rules, modaliases, usb, bluetooth, expectedModaliases;
        for (const QString &line : QString::fromUtf8(packagingFile("70-orvane.rules")).split('\n'))
            if (!line.trimmed().isEmpty() && !line.startsWith('#')) rules << line.trimmed();
        // The kernel's USB modalias spells the IDs in upper-case hex.
        for (uint16_t pid : device::kProductIds) {
            usb << QString::asprintf(R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="%04x", )"
                                     R"(ATTRS{idProduct}=="%04x", TAG+="uaccess")",
                                     device::kVendorId, pid);
            bluetooth << QString::asprintf(
                R"(SUBSYSTEM=="hidraw", KERNELS=="0005:%04X:%04X.*", TAG+="uaccess")", device::kVendorId,
                pid);
            expectedModaliases << QString::asprintf("usb:v%04Xp%04Xd*", device::kVendorId, pid);
        }
        QCOMPARE(rules, usb + bluetooth);

        QXmlStreamReader xml(packagingFile("example.tarnwell.orvane.metainfo.xml"));
        QString binary, launchable;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("modalias")) modaliases << xml.readElementText();
            else if (xml.name() == QLatin1String("binary")) binary = xml.readElementText();
            else if (xml.name() == QLatin1String("launchable")) launchable = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(modaliases, expectedModaliases);
        QCOMPARE(binary, QStringLiteral("orvane"));
        QCOMPARE(launchable, QStringLiteral("orvane.desktop"));
    }
};

QTEST_GUILESS_MAIN(PackagingTest)
#include "test_packaging.moc"
