// Reading and writing the wheel's LED colour table.
#include "app/mainwindow.h"
#include "device/models.h"
#include "device/wheelops.h"
#include "ledops.h"
#include "stylecolor.h"
#include "ui_mainwindow.h"

static_assert(leds::ButtonCount == 45, "ledState holds every color button");

namespace {
leds::LedModel ledModelOf(const QString &deviceName) {
    const QByteArray name = deviceName.toUtf8();
    return device::ledModelFor(std::string_view(name.constData(), size_t(name.size())));
}

leds::Rgb components(const QColor &color) {
    // An invalid color goes out black.
    if (!color.isValid()) return {0, 0, 0};
    return {uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue())};
}

QColor colorOf(const leds::Rgb &c) { return QColor(c[0], c[1], c[2]); }
}  // namespace

QPushButton *MainWindow::ledButton(int id) {
    if (id < 0 || id >= leds::ButtonCount) return nullptr;
    if (!ledState.resolved) {
        for (int i = 0; i < leds::ButtonCount; ++i)
            ledState.buttons[size_t(i)] = ui->page2->findChild<QPushButton *>(
                QLatin1String(leds::buttonName(leds::Button(i))), Qt::FindDirectChildrenOnly);
        ledState.resolved = true;
    }
    return ledState.buttons[size_t(id)];
}

void MainWindow::readLedTable() {
    device::Device &wheel = device::Device::instance();
    if (!wheel.isOpen()) return;
    ledState.read = leds::readLedTable(wheel, ledModelOf(deviceName));
    ledState.pairRead = false;
    ledState.chosen.reset();
    showLedsRead();
}

void MainWindow::showLedsRead() {
    const leds::LedModel model = ledModelOf(deviceName);
    if (!model.layout) return;
    // Only what the wheel answered, and never over a color the user chose.
    const auto colors = leds::readColors(*model.layout, ledState.read.table, ledState.read.answered);
    for (int b = 0; b < leds::ButtonCount; ++b)
        if (colors[size_t(b)] && !ledState.chosen[size_t(b)])
            setStyleColor(ledButton(b), colorOf(*colors[size_t(b)]));

    if (model.extraPair != leds::ExtraPairStore::Record || ledState.pairRead) return;
    const std::optional<device::ExtraColors> extra = device::readExtraColors(device::Device::instance());
    if (!extra) return;
    ledState.pairRead = true;
    if (!ledState.chosen[leds::XL]) setStyleColor(ledButton(leds::XL), colorOf(extra->extra1));
    if (!ledState.chosen[leds::XR]) setStyleColor(ledButton(leds::XR), colorOf(extra->extra2));
}

void MainWindow::writeLedTable(bool store) {
    ledState.sendFailed = false;
    const leds::LedModel model = ledModelOf(deviceName);
    // No color goes out for an LED that neither the wheel gave nor the user
    // chose: what the connection could not read is asked for again, and
    // while some of it stays unread nothing is sent.
    const auto known = [&] {
        return leds::writeKnown(model, ledState.read, ledState.pairRead, ledState.chosen);
    };
    if (model.layout && !known()) {
        leds::completeLedTable(device::Device::instance(), ledState.read);
        showLedsRead();
    }
    if (!known()) {
        ledState.sendFailed = true;
        return;
    }
    const leds::Table table = leds::composeTable(
        model.layout, [this](leds::Button b) { return components(styleColor(ledButton(b), 0)); });
    if (model.extraPair != leds::ExtraPairStore::None) writeExtraColours(store, model.extraOrder);
    if (!leds::writeLedTable(device::Device::instance(), model, table, store)) ledState.sendFailed = true;
}

void MainWindow::chooseLedColor(QWidget *button, const QColor &color) {
    setStyleColor(button, color);
    for (int b = 0; b < leds::ButtonCount; ++b)
        if (ledButton(b) == button) ledState.chosen.set(size_t(b));
}

void MainWindow::writeExtraColours(bool store, int channelOrder) {
    const leds::Rgb left = components(styleColor(ledButton(leds::XL), channelOrder));
    const leds::Rgb right = components(styleColor(ledButton(leds::XR), channelOrder));
    if (!leds::writeExtraColors(device::Device::instance(), left, right, store)) ledState.sendFailed = true;
}
