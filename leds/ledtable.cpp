// Reading and writing the wheel's LED colour table.
#include "app/mainwindow.h"
#include "device/device.h"
#include "ledlayouts.h"
#include "stylecolor.h"
#include "ui_mainwindow.h"

#include <algorithm>

static_assert(led::ButtonCount == 45, "ledButtons holds every colour button");

QPushButton *MainWindow::ledButton(int id) {
    if (id < 0 || id >= led::ButtonCount) return nullptr;
    if (!ledButtonsResolved) {
        for (int i = 0; i < led::ButtonCount; ++i)
            ledButtons[size_t(i)] = ui->page2->findChild<QPushButton *>(
                QLatin1String(led::buttonName(led::Button(i))), Qt::FindDirectChildrenOnly);
        ledButtonsResolved = true;
    }
    return ledButtons[size_t(id)];
}

void MainWindow::readLedTable() {
    orv::Device &device = orv::Device::instance();
    if (!device.isOpen()) return;
    const QByteArray name = deviceName.toUtf8();
    const std::string_view nameView(name.constData(), size_t(name.size()));

    led::Table table{};
    const int blocks = led::blockCount(nameView);
    for (int i = 0; i < blocks; ++i) {
        proto::Answer answer{};
        device.readRecord(uint8_t(i), 0, answer);
        std::copy_n(answer.begin() + 2, led::kBlockBytes, table.begin() + long(i) * long(led::kBlockBytes));
    }

    const led::Layout *layout = led::layoutFor(nameView);
    if (!layout) return;

    // A button read from several positions shows the last; paint each once.
    std::array<QColor, led::ButtonCount> colours;
    const led::Components values = led::expandTable(table);
    for (size_t p = 0; p < layout->count; ++p) {
        led::Button button;
        int order = 0;
        if (!led::readsPosition(*layout, p, button, order)) continue;
        const led::Rgb c = led::fromLed({values[3 * p], values[3 * p + 1], values[3 * p + 2]}, order);
        colours[button] = QColor(c[0], c[1], c[2]);
    }
    for (int b = 0; b < led::ButtonCount; ++b)
        if (colours[size_t(b)].isValid()) setStyleColor(ledButton(b), colours[size_t(b)]);

    if (layout->extra == led::ExtraPair::Record) {
        proto::Answer answer{};
        device.readRecord(proto::RecExtraColours, 0, answer);
        const proto::ExtraColours extra = proto::decodeExtraColours(answer);
        setStyleColor(ledButton(led::XL), QColor(extra.extra1[0], extra.extra1[1], extra.extra1[2]));
        setStyleColor(ledButton(led::XR), QColor(extra.extra2[0], extra.extra2[1], extra.extra2[2]));
    }
}

namespace {
led::Rgb components(const QColor &colour) {
    // An invalid colour goes out black.
    if (!colour.isValid()) return {0, 0, 0};
    return {uint8_t(colour.red()), uint8_t(colour.green()), uint8_t(colour.blue())};
}
}  // namespace

void MainWindow::writeLedTable(bool store) {
    ledSendFailed = false;
    orv::Device &device = orv::Device::instance();
    const QByteArray name = deviceName.toUtf8();
    const std::string_view nameView(name.constData(), size_t(name.size()));

    std::array<led::Rgb, led::kPositions> list;
    size_t count = 0;
    if (const led::Layout *layout = led::layoutFor(nameView)) {
        // Each button's style sheet is parsed once, however many LEDs it drives.
        std::array<led::Rgb, led::ButtonCount> colours;
        std::array<bool, led::ButtonCount> parsed{};
        count = std::min(layout->count, list.size());
        for (size_t p = 0; p < count; ++p) {
            const led::Slot &slot = layout->positions[p];
            if (!parsed[slot.write]) {
                colours[slot.write] = components(styleColor(ledButton(slot.write), 0));
                parsed[slot.write] = true;
            }
            list[p] = led::toLed(colours[slot.write], slot.order);
        }
        if (layout->extra != led::ExtraPair::None) writeExtraColours(store, layout->extraOrder);
    }

    const led::Table table = led::packColours(list.data(), count);
    const int blocks = led::blockCount(nameView);
    for (int n = 0; n < blocks; ++n) {
        const int index = led::blockAt(blocks, n);
        if (device.writeLedBlock(uint8_t(index), led::tableBlock(table, index)) < 0) ledSendFailed = true;
    }
    if (store && device.sendCommand(proto::storeLedFrame()) < 0) ledSendFailed = true;
}

void MainWindow::writeExtraColours(bool store, int channelOrder) {
    const led::Rgb left = components(styleColor(ledButton(led::XL), channelOrder));
    const led::Rgb right = components(styleColor(ledButton(led::XR), channelOrder));
    if (orv::Device::instance().sendCommand(proto::writeExtraFrame(store, left, right)) < 0)
        ledSendFailed = true;
}
