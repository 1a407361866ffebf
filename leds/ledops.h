// Reading and writing a wheel's LED colour table, and its extra pair.
// Qt-free.
#pragma once

#include "device/device.h"
#include "ledlayouts.h"

namespace leds {

// A table read block by block.
struct TableRead {
    Table table{};  // a block the wheel did not answer holds zeros
    int blocks = 0;
    Blocks answered;
    bool complete() const;
};
TableRead readLedTable(device::Device &wheel, const LedModel &model);
// Asks again for the blocks `read` lacks; true once it holds them all.
bool completeLedTable(device::Device &wheel, TableRead &read);
// Whether a write for `model` would send only colors this wheel gave or the
// user chose: each LED position's block was read or its button is `chosen`;
// an extra pair kept in its own record was read (`pairRead`) or both its
// buttons chosen. (Every button is read from a position it is written to, so
// a button no read block painted has a position in a block not read.) False
// for a model without a layout, whose write would send guesses only.
bool writeKnown(const LedModel &model, const TableRead &read, bool pairRead, const Buttons &chosen);

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
