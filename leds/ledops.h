// Reading and writing a wheel's LED colour table, and its extra pair.
// Qt-free.
#pragma once

#include "device/device.h"
#include "ledlayouts.h"

namespace leds {

// A table read block by block.
struct TableRead {
    Table table{};  // a block the wheel did not answer holds what its exchange left
    int blocks = 0;
    std::array<bool, kMaxBlocks> answered{};
    bool complete() const;
};
TableRead readLedTable(device::Device &wheel, const LedModel &model);

// The model's blocks in the order the wheel takes them, then, with `store`,
// the command to keep them. Every frame goes out even after one failed;
// false when any did.
bool writeLedTable(device::Device &wheel, const LedModel &model, const Table &table, bool store);
// The extra pair's colours, already in the order its LEDs take them.
bool writeExtraColors(device::Device &wheel, const Rgb &left, const Rgb &right, bool store);

// A table and extra pair read from the wheel (and changed), sent the way the
// window sends its colors: the extra pair where the model has one (from
// `recordPair` where the Extra colours record keeps it, from the table's own
// positions where the table does), the blocks, then with `store` the command
// to keep them.
bool writeColors(device::Device &wheel, const LedModel &model, const Table &table,
                 const std::array<Rgb, 2> &recordPair, bool store);

}  // namespace leds
