// Reading and writing the wheel's LED colour table.
#include "app/mainwindow.h"
#include "device/device.h"
#include "ledlayouts.h"
#include "stylecolor.h"
#include "ui_mainwindow.h"

#include <algorithm>

static_assert(leds::ButtonCount == 45, "ledButtons holds every colour button");

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
    device::Device &device = device::Device::instance();
    if (!device.isOpen()) return;
    const QByteArray name = deviceName.toUtf8();
    const std::string_view nameView(name.constData(), size_t(name.size()));

    leds::Table table{};
    const int blocks = leds::blockCount(nameView);
    for (int i = 0; i < blocks; ++i) {
        device::Answer answer{};
        device.readRecord(uint8_t(i), 0, answer);
        std::copy_n(answer.begin() + 2, leds::kBlockBytes, table.begin() + long(i) * long(leds::kBlockBytes));
    }

    const leds::Layout *layout = leds::layoutFor(nameView);
    if (!layout) return;

    // A button read from several positions shows the last; paint each once.
    std::array<QColor, leds::ButtonCount> colours;
    const leds::Components values = leds::expandTable(table);
    for (size_t p = 0; p < layout->count; ++p) {
        leds::Button button;
        int order = 0;
        if (!leds::readsPosition(*layout, p, button, order)) continue;
        const leds::Rgb c = leds::fromLed({values[3 * p], values[3 * p + 1], values[3 * p + 2]}, order);
        colours[button] = QColor(c[0], c[1], c[2]);
    }
    for (int b = 0; b < leds::ButtonCount; ++b)
        if (colours[size_t(b)].isValid()) setStyleColor(ledButton(b), colours[size_t(b)]);

    if (layout->extra == leds::ExtraPair::Record) {
        device::Answer answer{};
        device.readRecord(device::RecExtraColours, 0, answer);
        const device::ExtraColours extra = device::decodeExtraColours(answer);
        setStyleColor(ledButton(leds::XL), QColor(extra.extra1[0], extra.extra1[1], extra.extra1[2]));
        setStyleColor(ledButton(leds::XR), QColor(extra.extra2[0], extra.extra2[1], extra.extra2[2]));
    }
}

namespace {
leds::Rgb components(const QColor &colour) {
    // An invalid colour goes out black.
    if (!colour.isValid()) return {0, 0, 0};
    return {uint8_t(colour.red()), uint8_t(colour.green()), uint8_t(colour.blue())};
}
}  // namespace

void MainWindow::writeLedTable(bool store) {
    ledSendFailed = false;
    device::Device &device = device::Device::instance();
    const QByteArray name = deviceName.toUtf8();
    const std::string_view nameView(name.constData(), size_t(name.size()));

    std::array<leds::Rgb, leds::kPositions> list;
    size_t count = 0;
    if (const leds::Layout *layout = leds::layoutFor(nameView)) {
        // Each button's style sheet is parsed once, however many LEDs it drives.
        std::array<leds::Rgb, leds::ButtonCount> colours;
        std::array<bool, leds::ButtonCount> parsed{};
        count = std::min(layout->count, list.size());
        for (size_t p = 0; p < count; ++p) {
            const leds::Slot &slot = layout->positions[p];
            if (!parsed[slot.write]) {
                colours[slot.write] = components(styleColor(ledButton(slot.write), 0));
                parsed[slot.write] = true;
            }
            list[p] = leds::toLed(colours[slot.write], slot.order);
        }
        if (layout->extra != leds::ExtraPair::None) writeExtraColours(store, layout->extraOrder);
    }

    const leds::Table table = leds::packColours(list.data(), count);
    const int blocks = leds::blockCount(nameView);
    for (int n = 0; n < blocks; ++n) {
        const int index = leds::blockAt(blocks, n);
        if (device.writeLedBlock(uint8_t(index), leds::tableBlock(table, index)) < 0) ledSendFailed = true;
    }
    if (store && device.sendCommand(device::storeLedFrame()) < 0) ledSendFailed = true;
}

void MainWindow::writeExtraColours(bool store, int channelOrder) {
    const leds::Rgb left = components(styleColor(ledButton(leds::XL), channelOrder));
    const leds::Rgb right = components(styleColor(ledButton(leds::XR), channelOrder));
    if (device::Device::instance().sendCommand(device::writeExtraFrame(store, left, right)) < 0)
        ledSendFailed = true;
}
