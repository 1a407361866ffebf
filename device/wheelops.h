// What a user does to a wheel, one function each: the exchanges in the
// order the wheel expects them, and whether it answered. Qt-free, so the
// window, the tests and a command-line tool all stand on the same code.
// settings/, leds/ and firmware/ hold the operations of their subsystems.
#pragma once

#include "device.h"
#include "protocol.h"

#include <optional>
#include <string>

namespace device {

// A Read record of `record` (`sub`: a setting's sub-index): the whole answer
// when it names the record asked for; nullopt when the exchange failed, the
// answer came back short or it named another record. `asRead`, when given,
// receives what the exchange left in the buffer either way (zeros with no
// wheel, the request after a failed send or get, a cut answer over the
// request).
std::optional<Answer> readAnswer(Device &wheel, uint8_t record, uint8_t sub = 0, Answer *asRead = nullptr);

// Opens the first wheel present, trying the product IDs in order.
std::optional<uint16_t> openWheel(Device &wheel);

// The wheel's name.
std::optional<std::string> readIdentity(Device &wheel);

// This one also gives, in `asRead`, the decode of whatever the exchange left
// in the buffer, answered or not: the window still shows that.
std::optional<std::string> readFirmwareVersion(Device &wheel, std::string *asRead = nullptr);
std::optional<PowerStatus> readPowerStatus(Device &wheel);
std::optional<ExtraColors> readExtraColors(Device &wheel);

}  // namespace device
