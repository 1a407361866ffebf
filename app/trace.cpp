#include "trace.h"

#include <QByteArray>
#include <QDebug>

Q_LOGGING_CATEGORY(lcProtocol, "orvane.protocol", QtInfoMsg)

namespace {

const char *kindName(device::TraceKind kind) {
    switch (kind) {
    case device::TraceKind::Send: return "send";
    case device::TraceKind::Get: return "get";
    case device::TraceKind::Write: return "write";
    case device::TraceKind::Read: return "read";
    }
    return "?";
}

// Runs on whichever thread talks to the wheel (GUI, reader, upload).
void traceFrame(device::TraceKind kind, const uint8_t *data, size_t length, int result) {
    // Checked first: with the category off a frame costs one call and a test.
    if (!lcProtocol().isDebugEnabled()) return;
    qCDebug(lcProtocol).noquote() << protocolTraceLine(kind, data, length, result);
}

}  // namespace

QString protocolTraceLine(device::TraceKind kind, const uint8_t *data, size_t length, int result) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(data ? length : 0));
    QString line = QLatin1String(kindName(kind));
    if (!bytes.isEmpty()) line += QLatin1Char(' ') + QString::fromLatin1(bytes.toHex(' '));
    return line + QLatin1String(" -> ") + QString::number(result);
}

void installProtocolTrace() {
    // Once per process: the hook must not change while other threads use the device.
    static const bool installed = [] {
        device::Device::instance().setTraceHook(&traceFrame);
        return true;
    }();
    Q_UNUSED(installed)
}
