// The desktop files against the program: the udev rule and the AppStream
// modaliases name exactly the product IDs the program opens, the desktop
// entry starts the installed program, and every icon has its folder's size.
#include "device/protocol.h"

#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
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

QStringList productIds() {
    QStringList ids;
    for (uint16_t pid : device::kProductIds) ids << QString::asprintf("%04x", pid);
    return ids;
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

        const QRegularExpression rule(
            QStringLiteral(R"re(^SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="([0-9a-f]{4})", )re"
                           R"re(ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re"));
        QStringList products;
        for (const QString &raw : lines(path)) {
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
            // Access for the user at the seat only: never a world-writable node or a group.
            QVERIFY2(!line.contains(QLatin1String("MODE")) && !line.contains(QLatin1String("GROUP")),
                     qPrintable(line));
            const QRegularExpressionMatch m = rule.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            QCOMPARE(m.captured(1), QString::asprintf("%04x", device::kVendorId));
            products << m.captured(2);
        }
        QCOMPARE(products, productIds());
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

QTEST_MAIN(PackagingTest)
#include "test_packaging.moc"
