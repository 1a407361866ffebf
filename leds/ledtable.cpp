// Reading and writing the wheel's LED colour table.
#include "app/mainwindow.h"
#include "device/models.h"
#include "device/wheelops.h"
#include "ledops.h"
#include "stylecolor.h"
#include "ui_mainwindow.h"

#include <algorithm>

static_assert(leds::ButtonCount == 45, "ledButtons holds every color button");

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
    if (!ledButtonsResolved) {
        for (int i = 0; i < leds::ButtonCount; ++i)
            ledButtons[size_t(i)] = ui->page2->findChild<QPushButton *>(
                QLatin1String(leds::buttonName(leds::Button(i))), Qt::FindDirectChildrenOnly);
        ledButtonsResolved = true;
    }
    return ledButtons[size_t(id)];
}

void MainWindow::readLedTable() {
    device::Device &wheel = device::Device::instance();
    if (!wheel.isOpen()) return;
    const leds::LedModel model = ledModelOf(deviceName);
    // Shown as read, blocks the wheel did not answer included.
    const leds::TableRead read = leds::readLedTable(wheel, model);
    if (!model.layout) return;
    const leds::Layout &layout = *model.layout;

    // A button read from several positions shows the last; paint each once.
    std::array<QColor, leds::ButtonCount> colors;
    const leds::Components values = leds::expandTable(read.table);
    for (size_t p = 0; p < layout.count; ++p) {
        leds::Button button;
        int order = 0;
        if (!leds::readsPosition(layout, p, button, order)) continue;
        colors[button] = colorOf(leds::fromLed({values[3 * p], values[3 * p + 1], values[3 * p + 2]}, order));
    }
    for (int b = 0; b < leds::ButtonCount; ++b)
        if (colors[size_t(b)].isValid()) setStyleColor(ledButton(b), colors[size_t(b)]);

    if (model.extraPair == leds::ExtraPairStore::Record) {
        device::ExtraColors extra;  // as read, answered or not
        device::readExtraColors(wheel, &extra);
        setStyleColor(ledButton(leds::XL), colorOf(extra.extra1));
        setStyleColor(ledButton(leds::XR), colorOf(extra.extra2));
    }
}

void MainWindow::writeLedTable(bool store) {
    ledSendFailed = false;
    const leds::LedModel model = ledModelOf(deviceName);

    std::array<leds::Rgb, leds::kPositions> list;
    size_t count = 0;
    if (model.layout) {
        // Each button's style sheet is parsed once, however many LEDs it drives.
        std::array<leds::Rgb, leds::ButtonCount> colors;
        std::array<bool, leds::ButtonCount> parsed{};
        count = std::min(model.layout->count, list.size());
        for (size_t p = 0; p < count; ++p) {
            const leds::Slot &slot = model.layout->positions[p];
            if (!parsed[slot.write]) {
                colors[slot.write] = components(styleColor(ledButton(slot.write), 0));
                parsed[slot.write] = true;
            }
            list[p] = leds::toLed(colors[slot.write], slot.order);
        }
        if (model.extraPair != leds::ExtraPairStore::None) writeExtraColours(store, model.extraOrder);
    }

    const leds::Table table = leds::packColors(list.data(), count);
    if (!leds::writeLedTable(device::Device::instance(), model, table, store)) ledSendFailed = true;
}

void MainWindow::writeExtraColours(bool store, int channelOrder) {
    const leds::Rgb left = components(styleColor(ledButton(leds::XL), channelOrder));
    const leds::Rgb right = components(styleColor(ledButton(leds::XR), channelOrder));
    if (!leds::writeExtraColors(device::Device::instance(), left, right, store)) ledSendFailed = true;
}
