#include "ledops.h"

#include "device/wheelops.h"

#include <algorithm>

namespace leds {

bool TableRead::complete() const {
    for (int i = 0; i < blocks; ++i)
        if (!answered[size_t(i)]) return false;
    return true;
}

namespace {
void readBlock(device::Device &wheel, TableRead &read, int i) {
    const std::optional<device::Answer> answer = device::readAnswer(wheel, uint8_t(device::RecLedBlock0 + i));
    if (!answer) return;
    read.answered.set(size_t(i));
    std::copy_n(answer->begin() + 2, kBlockBytes, read.table.begin() + long(i) * long(kBlockBytes));
}
}  // namespace

TableRead readLedTable(device::Device &wheel, const LedModel &model) {
    TableRead read;
    read.blocks = std::clamp(model.blocks, 0, kMaxBlocks);
    for (int i = 0; i < read.blocks; ++i) readBlock(wheel, read, i);
    return read;
}

bool completeLedTable(device::Device &wheel, TableRead &read) {
    for (int i = 0; i < read.blocks; ++i)
        if (!read.answered[size_t(i)]) readBlock(wheel, read, i);
    return read.complete();
}

bool writeKnown(const LedModel &model, const TableRead &read, bool pairRead, const Buttons &chosen) {
    if (!model.layout) return false;
    for (size_t p = 0; p < model.layout->count; ++p)
        if (!read.answered[p / kBlockPositions] && !chosen[model.layout->positions[p].write]) return false;
    return model.extraPair != ExtraPairStore::Record || pairRead || (chosen[XL] && chosen[XR]);
}

bool writeLedTable(device::Device &wheel, const LedModel &model, const Table &table, bool store) {
    bool sent = true;
    for (int n = 0; n < model.blocks; ++n) {
        const int index = blockAt(model.blocks, n);
        if (wheel.writeLedBlock(uint8_t(index), tableBlock(table, index)) < 0) sent = false;
    }
    if (store && wheel.sendCommand(device::storeLedFrame()) < 0) sent = false;
    return sent;
}

bool writeExtraColors(device::Device &wheel, const Rgb &left, const Rgb &right, bool store) {
    return wheel.sendCommand(device::writeExtraFrame(store, left, right)) >= 0;
}

bool writeColors(device::Device &wheel, const LedModel &model, const Table &table,
                 const std::array<Rgb, 2> &recordPair, bool store) {
    bool sent = true;
    if (model.layout && model.extraPair == ExtraPairStore::Record) {
        sent = writeExtraColors(wheel, recordPair[0], recordPair[1], store);
    } else if (model.layout && model.extraPair == ExtraPairStore::InTable) {
        const auto colors = readColors(*model.layout, table);
        const Rgb left = toLed(colors[XL].value_or(Rgb{}), model.extraOrder);
        const Rgb right = toLed(colors[XR].value_or(Rgb{}), model.extraOrder);
        sent = writeExtraColors(wheel, left, right, store);
    }
    return writeLedTable(wheel, model, table, store) && sent;
}

}  // namespace leds
