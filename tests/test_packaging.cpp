// The desktop files against the program: the udev rule (USB and Bluetooth)
// and the AppStream modaliases name exactly the product IDs the program
// opens, the desktop entry starts the installed program, and every icon has
// its folder's size.
#include "device/protocol.h"

#include <QFile>
#include <QImageReader>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QString packagingFile(const QString &relative) {
    return QFINDTESTDATA(QStringLiteral("../packaging/") + relative);
}

QStringList lines(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

}  // namespace

class PackagingTest : public QObject {
    Q_OBJECT

private slots:
    void udevRuleMatchesTheProductTable() {
        const QString path = packagingFile(QStringLiteral("linux/70-orvane.rules"));
        QVERIFY2(!path.isEmpty(), "packaging/linux/70-orvane.rules not found");
        // systemd applies uaccess in 73-seat-late.rules: only earlier files may tag.
        QVERIFY(QFileInfo(path).fileName().section(QLatin1Char('-'), 0, 0).toInt() < 73);

        // Access for the user at the seat only, never a mode or a group. A wheel
        // on USB by its USB device's IDs; one over Bluetooth (bus 0005) has none,
        // so by its HID device's kernel name, which spells the IDs in upper case.
        QStringList expected;
        for (uint16_t pid : device::kProductIds)
            expected << QString::asprintf(R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="%04x", )"
                                          R"(ATTRS{idProduct}=="%04x", TAG+="uaccess")",
                                          device::kVendorId, pid);
        for (uint16_t pid : device::kProductIds)
            expected << QString::asprintf(
                R"(SUBSYSTEM=="hidraw", KERNELS=="0005:%04X:%04X.*", TAG+="uaccess")", device::kVendorId,
                pid);
        QStringList rules;
        for (const QString &line : lines(path))
            if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#'))) rules << line.trimmed();
        QCOMPARE(rules, expected);
    }

    void metainfoListsEveryWheel() {
        const QString path = packagingFile(QStringLiteral("linux/example.tarnwell.orvane.metainfo.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QStringList modaliases, binaries;
        QString launchable;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("modalias")) modaliases << xml.readElementText();
            else if (xml.name() == QLatin1String("binary")) binaries << xml.readElementText();
            else if (xml.name() == QLatin1String("launchable")) launchable = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // The kernel's USB modalias spells the IDs in upper-case hex.
        QStringList expected;
        for (uint16_t pid : device::kProductIds)
            expected << QString::asprintf("usb:v%04Xp%04Xd*", device::kVendorId, pid);
        QCOMPARE(modaliases, expected);
        QCOMPARE(binaries, QStringList{QStringLiteral("orvane")});
        QCOMPARE(launchable, QStringLiteral("orvane.desktop"));
        QVERIFY(!packagingFile(QStringLiteral("linux/") + launchable).isEmpty());
    }

    void desktopEntryStartsTheProgram() {
        const QStringList entry = lines(packagingFile(QStringLiteral("linux/orvane.desktop")));
        QVERIFY(entry.contains(QStringLiteral("Exec=orvane")));
        QVERIFY(entry.contains(QStringLiteral("Icon=orvane")));
        // X11 names the window's class after the executable.
        QVERIFY(entry.contains(QStringLiteral("StartupWMClass=orvane")));
    }

    void iconsHaveTheirFoldersSize() {
        for (int size : {48, 64, 128, 256}) {
            const QString path =
                packagingFile(QStringLiteral("icons/hicolor/%1x%1/apps/orvane.png").arg(size));
            QVERIFY2(!path.isEmpty(), qPrintable(QString::number(size)));
            QImageReader reader(path);
            QCOMPARE(reader.size(), QSize(size, size));
            QVERIFY(reader.read().hasAlphaChannel());
        }
        QVERIFY(!packagingFile(QStringLiteral("icons/hicolor/scalable/apps/orvane.svg")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PackagingTest)
#include "test_packaging.moc"
