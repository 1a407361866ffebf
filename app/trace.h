// The protocol trace a user can send in with a misbehaving wheel: every frame
// to and from the wheel in hex, under the logging category orvane.protocol.
// Off unless QT_LOGGING_RULES="orvane.protocol.debug=true".
#pragma once

#include "device/device.h"

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcProtocol)

// One line of the trace, e.g. "send 02 0b 0d 00 ... -> 20".
QString protocolTraceLine(device::TraceKind kind, const uint8_t *data, size_t length, int result);

// Hooks the trace into the device object; only the first call does anything.
void installProtocolTrace();
