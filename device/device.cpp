#include "device.h"

#include <hidapi/hidapi.h>

namespace device {

Device &Device::instance() {
    static Device device;
    return device;
}

void Device::trace(TraceKind kind, const uint8_t *data, size_t length, int result) const {
    if (m_trace) m_trace(kind, data, length, result);
}

bool Device::open(uint16_t vendorId, uint16_t productId) {
    std::lock_guard<std::mutex> io(m_io);
    if (m_handle.load()) return false;
    hid_device *handle = hid_open(vendorId, productId, nullptr);
    if (!handle) return false;
    m_productId = productId;
    m_handle = handle;
    return true;
}

void Device::close() {
    std::lock_guard<std::mutex> io(m_io);
    hid_device *handle = m_handle.load();
    if (!handle) return;
    {
        std::unique_lock<std::mutex> users(m_users);
        m_closing = true;
        m_readersDone.wait(users, [this] { return m_readers == 0; });
        m_handle = nullptr;
        m_productId = 0;
        m_closing = false;
    }
    hid_close(handle);
}

bool Device::isOpen() const { return m_handle.load() != nullptr; }

int Device::sendCommand(const device::Frame &frame) {
    std::lock_guard<std::mutex> io(m_io);
    hid_device *handle = m_handle.load();
    if (!handle) return -1;
    const int result = hid_send_feature_report(handle, frame.data(), frame.size());
    trace(TraceKind::Send, frame.data(), frame.size(), result);
    return result;
}

int Device::readRecord(uint8_t record, uint8_t subIndex, device::Answer &answer) {
    answer.fill(0);
    std::lock_guard<std::mutex> io(m_io);
    hid_device *handle = m_handle.load();
    if (!handle) return -1;
    const device::Frame request = device::readRecordFrame(record, subIndex);
    std::copy(request.begin(), request.end(), answer.begin());
    const int sent = hid_send_feature_report(handle, answer.data(), request.size());
    trace(TraceKind::Send, request.data(), request.size(), sent);
    if (sent < 0) return sent;
    const int got = hid_get_feature_report(handle, answer.data(), answer.size());
    trace(TraceKind::Get, answer.data(), got > 0 ? size_t(got) : 0, got);
    return got;
}

int Device::writeLedBlock(uint8_t index, const device::LedBlock &data) {
    const device::Frame report = device::ledBlockReport(index, data);
    std::lock_guard<std::mutex> io(m_io);
    hid_device *handle = m_handle.load();
    if (!handle) return -1;
    const int result = hid_write(handle, report.data(), report.size());
    trace(TraceKind::Write, report.data(), report.size(), result);
    return result;
}

bool Device::beginRead(hid_device_ *&handle) {
    std::lock_guard<std::mutex> users(m_users);
    handle = m_handle.load();
    if (!handle || m_closing) return false;
    ++m_readers;
    return true;
}

void Device::endRead() {
    std::lock_guard<std::mutex> users(m_users);
    if (--m_readers == 0) m_readersDone.notify_all();
}

int Device::readInput(uint8_t *buffer, size_t length, int timeoutMs) {
    hid_device *handle = nullptr;
    if (!beginRead(handle)) return -1;
    const int result = hid_read_timeout(handle, buffer, length, timeoutMs);
    endRead();
    if (result > 0) trace(TraceKind::Read, buffer, size_t(result), result);
    return result;
}

int Device::setNonBlocking(bool nonBlocking) {
    hid_device *handle = nullptr;
    if (!beginRead(handle)) return -1;
    const int result = hid_set_nonblocking(handle, nonBlocking ? 1 : 0);
    endRead();
    return result;
}

}  // namespace device
