// The one open wheel of the process. Every report goes through here.
//
// Feature-report exchanges, LED writes, open and close are serialised by one
// lock, so a Read record's send and get are never split by another frame and
// no thread can close the handle under another one's exchange. Input reads do
// not take that lock (they wait up to 100 ms); they register as users of the
// handle instead, and close waits for a running read to return first.
//
// Deliberately free of Qt, so it can be tested with plain threads under
// ThreadSanitizer.
#pragma once

#include "protocol.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

struct hid_device_;

namespace device {

enum class TraceKind { Send, Get, Write, Read };
// Called with the bytes of every frame sent or received (result = the HID
// call's result). Set it before any other thread uses the device.
using TraceHook = void (*)(TraceKind kind, const uint8_t *data, size_t length, int result);

class Device {
public:
    static Device &instance();

    // Opens vendor/product; false when it cannot be opened or one is open already.
    bool open(uint16_t vendorId, uint16_t productId);
    void close();
    bool isOpen() const;
    uint16_t productId() const { return m_productId.load(); }

    // hid_send_feature_report of one 20-byte frame; -1 when no wheel is open.
    int sendCommand(const device::Frame &frame);
    // Read record: the answer buffer is cleared, then holds the wheel's answer.
    // Returns the get's result, or a negative value when nothing was read
    // (no wheel: the buffer stays zero; failed send: it holds the request).
    int readRecord(uint8_t record, uint8_t subIndex, device::Answer &answer);
    // One LED colour block as an output report; -1 when no wheel is open.
    int writeLedBlock(uint8_t index, const device::LedBlock &data);

    // Input report read with a time-out; -1 when no wheel is open.
    int readInput(uint8_t *buffer, size_t length, int timeoutMs);
    int setNonBlocking(bool nonBlocking);

    void setTraceHook(TraceHook hook) { m_trace = hook; }

private:
    Device() = default;
    // Marks a running input read; false when the handle is gone or closing.
    bool beginRead(hid_device_ *&handle);
    void endRead();
    void trace(TraceKind kind, const uint8_t *data, size_t length, int result) const;

    mutable std::mutex m_io;  // exchanges, writes, open, close
    std::mutex m_users;       // guards m_readers / m_closing
    std::condition_variable m_readersDone;
    int m_readers = 0;
    bool m_closing = false;
    std::atomic<hid_device_ *> m_handle{nullptr};
    std::atomic<uint16_t> m_productId{0};
    TraceHook m_trace = nullptr;
};

}  // namespace device
