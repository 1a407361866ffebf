// Simulated wheels: the wheel's side of the report protocol behind the
// hidapi C functions, so the program runs unchanged against it.

#include "simwheel.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <random>

struct hid_device_ {
    uint16_t productId = 0;
    uint64_t generation = 0;  // connection the handle belongs to
    bool closed = false;
    bool nonBlocking = false;
    std::deque<std::vector<uint8_t>> reports;
};

namespace sim {
namespace {

constexpr size_t kFrame = 20;
constexpr size_t kAnswer = 21;
constexpr size_t kInput = 17;
constexpr uint8_t kInputReportId = 0x01;
constexpr size_t kMaxImage = 0x80000;

struct Wheel {
    uint16_t productId = 0;
    bool plugged = false;
    uint64_t generation = 0;
    std::chrono::steady_clock::time_point replugAt{};
    bool rebooting = false;
    WheelState flash, live;
    std::vector<uint8_t> request;  // last Read record
    uint64_t bits = 0;
    uint16_t right = 0, left = 0;
    std::vector<uint8_t> received;  // firmware blocks placed so far
    size_t extent = 0;
    std::vector<uint8_t> image;
    int uploads = 0;
};

struct PendingFault {
    Op op;
    int remaining;
    Fault fault;
    int arg;
};

struct Bus {
    std::mutex m;
    std::condition_variable cv;
    std::map<uint16_t, Wheel> wheels;
    // Handles are never freed while the process runs, so a call on a closed
    // one is counted instead of touching freed memory.
    std::vector<std::unique_ptr<hid_device_>> handles;
    std::vector<LogEntry> log;
    bool logEnabled = true;
    uint64_t seq = 0;
    int closedUses = 0;
    std::vector<PendingFault> faults;
    uint32_t randomSeed = 0;
    std::mt19937 random;
    std::chrono::microseconds answerDelay{0};
    std::chrono::microseconds sendDelay{0};
    std::chrono::milliseconds rebootTime{300};
};

Bus &bus() {
    static Bus *b = new Bus;  // outlives every thread that may still call in at exit
    return *b;
}

void writeLog(Bus &b, Op op, uint16_t pid, const uint8_t *data, size_t n, int result) {
    if (!b.logEnabled) return;
    LogEntry e{++b.seq, op, pid, std::this_thread::get_id(), std::vector<uint8_t>(data, data + n), result};
    b.log.push_back(std::move(e));
}

void wakeUp(Bus &b) {
    const auto now = std::chrono::steady_clock::now();
    for (auto &[pid, w] : b.wheels) {
        if (w.rebooting && now >= w.replugAt) {
            w.rebooting = false;
            w.plugged = true;
            w.live = w.flash;
        }
    }
}

Wheel *wheelOf(Bus &b, hid_device *dev) {
    auto it = b.wheels.find(dev->productId);
    if (it == b.wheels.end()) return nullptr;
    Wheel &w = it->second;
    if (!w.plugged || w.generation != dev->generation) return nullptr;
    return &w;
}

// Checks the handle; counts a call on a closed one.
bool usable(Bus &b, hid_device *dev) {
    if (!dev) return false;
    if (dev->closed) {
        ++b.closedUses;
        return false;
    }
    return true;
}

void doUnplug(Bus &b, Wheel &w) {
    if (!w.plugged) return;
    w.plugged = false;
    ++w.generation;
    w.request.clear();
    w.bits = 0;
    b.cv.notify_all();
}

// Applies a pending fault for this call, if one is due.
bool takeFault(Bus &b, Op op, Fault &fault, int &arg) {
    // Every pending fault of this kind counts the call; the first one due fires.
    for (auto &f : b.faults)
        if (f.op == op) --f.remaining;
    for (auto it = b.faults.begin(); it != b.faults.end(); ++it) {
        if (it->op != op || it->remaining > 0) continue;
        fault = it->fault;
        arg = it->arg;
        b.faults.erase(it);
        return true;
    }
    return false;
}

void putU16(uint8_t *p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void putI32(uint8_t *p, int32_t value) {
    const uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
int32_t getI32(const uint8_t *p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

std::vector<uint8_t> reportOf(const Wheel &w) { return inputReport(w.right, w.left, w.bits); }

void queueReport(Bus &b, Wheel &w, std::vector<uint8_t> report) {
    for (auto &h : b.handles) {
        if (!h->closed && h->productId == w.productId && h->generation == w.generation)
            h->reports.push_back(report);
    }
    b.cv.notify_all();
}

void answerRecord(const Wheel &w, uint8_t *a) {
    std::memset(a, 0, kAnswer);
    a[0] = 0x02;
    if (w.request.size() < 4) return;
    const uint8_t record = w.request[2];
    const uint8_t sub = w.request[3];
    const WheelState &s = w.live;
    a[1] = record;
    if (record <= 0x07) {
        const size_t from = size_t(record) * 18;
        for (size_t i = 0; i < 18 && from + i < s.ledTable.size(); ++i) a[2 + i] = s.ledTable[from + i];
        return;
    }
    switch (record) {
    case 0x09: {
        const size_t n = std::min(s.firmwareVersion.size(), kAnswer - 1);
        std::memcpy(a + 1, s.firmwareVersion.data(), n);
        if (n == 0) a[1] = 0;
        break;
    }
    case 0x0A:
        putU16(a + 2, s.paddleValue);
        for (int i = 0; i < 4; ++i) putU16(a + 5 + 2 * i, s.paddleLimits[size_t(i)]);
        break;
    case 0x0C: {
        a[2] = sub;
        auto it = s.settings.find(sub);
        putI32(a + 3, it == s.settings.end() ? 0 : it->second);
        break;
    }
    case 0x0D: {
        const size_t n = std::min(s.name.size(), kAnswer - 2);
        std::memcpy(a + 2, s.name.data(), n);
        break;
    }
    case 0x0F:
        a[2] = s.batteryPercent;
        putU16(a + 3, s.batteryReading);
        a[5] = s.link;
        break;
    case 0x11:
        a[2] = s.extraPresent ? 1 : 0;
        std::copy(s.extraColours.begin(), s.extraColours.end(), a + 3);
        break;
    default: break;
    }
}

void reboot(Bus &b, Wheel &w) {
    doUnplug(b, w);
    w.rebooting = true;
    w.replugAt = std::chrono::steady_clock::now() + b.rebootTime;
}

// Carries out one command frame sent to the wheel.
void execute(Bus &b, Wheel &w, const uint8_t *f, size_t n) {
    if (n < kFrame || f[0] != 0x02) return;
    const uint8_t cmd = f[1];
    if (cmd & 0x80) {
        const size_t block = (size_t(cmd & 0x7F) << 8) | f[2];
        const size_t count = std::min<size_t>(f[3], 16);
        const size_t at = block * 16;
        if (at + count > kMaxImage) return;
        if (w.received.size() < at + count) w.received.resize(at + count, 0);
        std::memcpy(w.received.data() + at, f + 4, count);
        w.extent = std::max(w.extent, at + count);
        return;
    }
    switch (cmd) {
    case 0x0A: {
        const bool keep = f[4] == 0xEF;
        auto apply = [&](WheelState &s) {
            s.paddleValue = uint16_t(f[2] | f[3] << 8);
            for (int i = 0; i < 4; ++i)
                s.paddleLimits[size_t(i)] = uint16_t(f[5 + 2 * i] | f[6 + 2 * i] << 8);
        };
        apply(w.live);
        if (keep) apply(w.flash);
        break;
    }
    case 0x0B: w.request.assign(f, f + kFrame); break;
    case 0x0C: {
        const uint8_t sub = f[2];
        const int32_t value = getI32(f + 3);
        const bool keep = f[7] == 0xEF;
        if (sub == 0x10) {
            w.flash = factoryState(w.flash.name);
            w.live = w.flash;
        } else if (sub == 0x03 || sub == 0x05 || sub == 0x06 || sub == 0x07) {
            // Start (0) and finish (-1 with store); the threshold is whatever
            // the held shifter reads, here a fixed per-shifter figure.
            if (value == -1 && keep) {
                w.live.shifterThresholds[sub] = 1000 + sub;
                w.flash.shifterThresholds[sub] = 1000 + sub;
            }
        } else {
            w.live.settings[sub] = value;
            if (keep) w.flash.settings[sub] = value;
        }
        break;
    }
    case 0x0E: w.flash.ledTable = w.live.ledTable; break;
    case 0x10:
        w.image.assign(w.received.begin(), w.received.begin() + long(w.extent));
        w.received.clear();
        w.extent = 0;
        ++w.uploads;
        reboot(b, w);
        break;
    case 0x11: {
        const bool keep = f[2] == 0xEF;
        std::copy(f + 3, f + 9, w.live.extraColours.begin());
        if (keep) w.flash.extraColours = w.live.extraColours;
        break;
    }
    default: break;
    }
}

Wheel *findWheel(Bus &b, uint16_t pid) {
    auto it = b.wheels.find(pid);
    return it == b.wheels.end() ? nullptr : &it->second;
}

}  // namespace

WheelState factoryState(const std::string &name) {
    WheelState s;
    s.name = name;
    s.settings = {{0x04, 100}, {0x0A, 100}, {0x08, 1}, {0x09, 255}};
    // The Halcyon edition has no clutch paddles.
    if (name.find("LB370") != std::string::npos) s.settings[0x08] = 255;
    s.ledTable.assign(name.find("ZORIX") != std::string::npos ? 144 : 72, 0xFF);
    return s;
}

WheelState showroomState(const std::string &name) {
    WheelState s = factoryState(name);
    // Three 4-bit levels per LED position, two levels per byte, low nibble first.
    static const uint8_t palette[][3] = {{15, 0, 0},  {15, 6, 0}, {15, 13, 0}, {0, 15, 2},
                                         {0, 12, 15}, {0, 3, 15}, {9, 0, 15},  {15, 0, 9}};
    const size_t positions = s.ledTable.size() * 2 / 3;
    std::fill(s.ledTable.begin(), s.ledTable.end(), 0);
    for (size_t p = 0; p < positions; ++p) {
        for (size_t c = 0; c < 3; ++c) {
            const size_t level = 3 * p + c;
            const uint8_t value = palette[p % 8][c];
            s.ledTable[level / 2] |= uint8_t(level % 2 ? value << 4 : value);
        }
    }
    s.extraColours = {255, 96, 0, 0, 160, 255};
    s.link = 0;
    s.batteryPercent = 76;
    s.batteryReading = 3950;
    return s;
}

void plug(uint16_t productId, const std::string &name) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel &w = b.wheels[productId];
    if (w.productId == 0 || w.flash.name != name) {
        w = Wheel{};
        w.productId = productId;
        w.flash = factoryState(name);
    }
    w.rebooting = false;
    w.plugged = true;
    w.live = w.flash;
    w.bits = 0;
}

void unplug(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    if (Wheel *w = findWheel(b, productId)) {
        w->rebooting = false;
        doUnplug(b, *w);
    }
}

bool isPlugged(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    wakeUp(b);
    Wheel *w = findWheel(b, productId);
    return w && w->plugged;
}

void reset() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    for (auto &[pid, w] : b.wheels) doUnplug(b, w);
    b.wheels.clear();
    b.log.clear();
    b.faults.clear();
    b.randomSeed = 0;
    b.answerDelay = std::chrono::microseconds(0);
    b.sendDelay = std::chrono::microseconds(0);
    b.rebootTime = std::chrono::milliseconds(300);
    b.closedUses = 0;
    b.logEnabled = true;
    b.cv.notify_all();
}

namespace {
void setInput(uint16_t productId, int input, bool on) {
    if (input < 0 || input > 63) return;
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    if (!w || !w->plugged) return;
    const uint64_t before = w->bits;
    const uint64_t bit = uint64_t(1) << input;
    w->bits = on ? (w->bits | bit) : (w->bits & ~bit);
    if (w->bits != before) queueReport(b, *w, reportOf(*w));
}
}  // namespace

void press(uint16_t productId, int input) { setInput(productId, input, true); }
void release(uint16_t productId, int input) { setInput(productId, input, false); }

void setPaddles(uint16_t productId, uint16_t right, uint16_t left) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    if (!w || !w->plugged) return;
    if (w->right == right && w->left == left) return;
    w->right = right;
    w->left = left;
    queueReport(b, *w, reportOf(*w));
}

std::vector<uint8_t> inputReport(uint16_t right, uint16_t left, uint64_t bits) {
    std::vector<uint8_t> r(kInput, 0);
    r[0] = kInputReportId;
    putU16(&r[1], right);
    putU16(&r[3], left);
    for (int i = 0; i < 8; ++i) r[size_t(5 + i)] = uint8_t(bits >> (8 * i));
    return r;
}

void sendReport(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    if (w && w->plugged) queueReport(b, *w, reportOf(*w));
}

void sendRawReport(uint16_t productId, const std::vector<uint8_t> &report) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    if (w && w->plugged) queueReport(b, *w, report);
}

uint64_t inputBits(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    return w ? w->bits : 0;
}

size_t pendingReports(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    size_t n = 0;
    for (auto &h : b.handles)
        if (!h->closed && h->productId == productId) n += h->reports.size();
    return n;
}

WheelState flash(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    return w ? w->flash : WheelState{};
}

WheelState live(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    return w ? w->live : WheelState{};
}

void setFlash(uint16_t productId, const WheelState &state) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    if (Wheel *w = findWheel(b, productId)) {
        w->flash = state;
        w->live = state;
    }
}

std::vector<uint8_t> firmwareImage(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    return w ? w->image : std::vector<uint8_t>{};
}

int firmwareUploads(uint16_t productId) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    Wheel *w = findWheel(b, productId);
    return w ? w->uploads : 0;
}

void setRebootTime(std::chrono::milliseconds time) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.rebootTime = time;
}

std::vector<LogEntry> frameLog() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    return b.log;
}

void clearLog() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.log.clear();
}

void setLogEnabled(bool enabled) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.logEnabled = enabled;
}

int closedHandleUses() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    return b.closedUses;
}

int openHandles() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    return int(std::count_if(b.handles.begin(), b.handles.end(), [](const auto &h) { return !h->closed; }));
}

void injectFault(Op op, int nth, Fault fault, int arg) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.faults.push_back({op, std::max(1, nth), fault, arg});
}

void setRandomAnswers(uint32_t seed) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.randomSeed = seed;
    b.random.seed(seed);
}

void setAnswerDelay(std::chrono::microseconds delay) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.answerDelay = delay;
}

void setSendDelay(std::chrono::microseconds delay) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.sendDelay = delay;
}

void clearFaults() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    b.faults.clear();
    b.randomSeed = 0;
    b.answerDelay = std::chrono::microseconds(0);
    b.sendDelay = std::chrono::microseconds(0);
}

int pendingFaults() {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    return int(b.faults.size());
}

}  // namespace sim

using namespace sim;

extern "C" {

int HID_API_EXPORT hid_init(void) { return 0; }
int HID_API_EXPORT hid_exit(void) { return 0; }

struct hid_device_info HID_API_EXPORT *hid_enumerate(unsigned short vendor_id, unsigned short product_id) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    wakeUp(b);
    hid_device_info *head = nullptr;
    for (auto it = b.wheels.rbegin(); it != b.wheels.rend(); ++it) {
        const Wheel &w = it->second;
        if (!w.plugged) continue;
        if ((vendor_id && vendor_id != kVendorId) || (product_id && product_id != w.productId)) continue;
        auto *info = static_cast<hid_device_info *>(calloc(1, sizeof(hid_device_info)));
        const std::string path = "sim:" + std::to_string(w.productId);
        info->path = strdup(path.c_str());
        info->vendor_id = kVendorId;
        info->product_id = w.productId;
        info->next = head;
        head = info;
    }
    return head;
}

void HID_API_EXPORT hid_free_enumeration(struct hid_device_info *devs) {
    while (devs) {
        hid_device_info *next = devs->next;
        free(devs->path);
        free(devs);
        devs = next;
    }
}

hid_device HID_API_EXPORT *hid_open(unsigned short vendor_id, unsigned short product_id,
                                    const wchar_t *serial_number) {
    (void)serial_number;
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    wakeUp(b);
    Fault fault;
    int arg = 0;
    const bool faulted = takeFault(b, Op::Open, fault, arg);
    Wheel *w = findWheel(b, product_id);
    if (faulted || vendor_id != kVendorId || !w || !w->plugged) {
        writeLog(b, Op::Open, product_id, nullptr, 0, -1);
        return nullptr;
    }
    auto h = std::make_unique<hid_device_>();
    h->productId = product_id;
    h->generation = w->generation;
    hid_device *dev = h.get();
    b.handles.push_back(std::move(h));
    writeLog(b, Op::Open, product_id, nullptr, 0, 0);
    return dev;
}

hid_device HID_API_EXPORT *hid_open_path(const char *path) {
    if (!path || std::strncmp(path, "sim:", 4) != 0) return nullptr;
    return hid_open(kVendorId, uint16_t(std::atoi(path + 4)), nullptr);
}

void HID_API_EXPORT hid_close(hid_device *dev) {
    if (!dev) return;
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    if (dev->closed) {
        ++b.closedUses;
        return;
    }
    dev->closed = true;
    dev->reports.clear();
    writeLog(b, Op::Close, dev->productId, nullptr, 0, 0);
    b.cv.notify_all();
}

int HID_API_EXPORT hid_set_nonblocking(hid_device *dev, int nonblock) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    if (!usable(b, dev)) return -1;
    dev->nonBlocking = nonblock != 0;
    writeLog(b, Op::SetNonBlocking, dev->productId, nullptr, 0, 0);
    return 0;
}

int HID_API_EXPORT hid_send_feature_report(hid_device *dev, const unsigned char *data, size_t length) {
    Bus &b = bus();
    std::unique_lock<std::mutex> lock(b.m);
    if (b.sendDelay.count() > 0) {
        const auto delay = b.sendDelay;
        lock.unlock();
        std::this_thread::sleep_for(delay);
        lock.lock();
    }
    wakeUp(b);
    if (!usable(b, dev)) return -1;
    Wheel *w = wheelOf(b, dev);
    int result = w ? int(length) : -1;
    Fault fault;
    int arg = 0;
    if (w && takeFault(b, Op::Send, fault, arg)) {
        if (fault == Fault::Unplug) doUnplug(b, *w);
        result = -1;
    }
    if (result >= 0) execute(b, *w, data, length);
    writeLog(b, Op::Send, dev->productId, data, length, result);
    return result;
}

int HID_API_EXPORT hid_get_feature_report(hid_device *dev, unsigned char *data, size_t length) {
    Bus &b = bus();
    std::unique_lock<std::mutex> lock(b.m);
    if (b.answerDelay.count() > 0) {
        const auto delay = b.answerDelay;
        lock.unlock();
        std::this_thread::sleep_for(delay);
        lock.lock();
    }
    wakeUp(b);
    if (!usable(b, dev)) return -1;
    Wheel *w = wheelOf(b, dev);
    if (!w) {
        writeLog(b, Op::Get, dev->productId, nullptr, 0, -1);
        return -1;
    }
    uint8_t answer[kAnswer];
    answerRecord(*w, answer);
    size_t n = std::min(length, kAnswer);
    Fault fault;
    int arg = 0;
    if (takeFault(b, Op::Get, fault, arg)) {
        switch (fault) {
        case Fault::Fail: writeLog(b, Op::Get, dev->productId, nullptr, 0, -1); return -1;
        case Fault::Unplug:
            doUnplug(b, *w);
            writeLog(b, Op::Get, dev->productId, nullptr, 0, -1);
            return -1;
        case Fault::Short: n = std::min(n, size_t(std::max(0, arg))); break;
        case Fault::Garbage: {
            std::mt19937 gen{static_cast<uint32_t>(arg)};
            for (auto &byte : answer) byte = uint8_t(gen());
            break;
        }
        case Fault::Stray: ++answer[arg == 2 ? 2 : 1]; break;
        case Fault::NoisyTail: {
            std::mt19937 gen{static_cast<uint32_t>(arg)};
            for (size_t i = 8; i < kAnswer; ++i) answer[i] = uint8_t(gen());
            break;
        }
        }
    } else if (b.randomSeed) {
        for (auto &byte : answer) byte = uint8_t(b.random());
    }
    std::memcpy(data, answer, n);
    writeLog(b, Op::Get, dev->productId, data, n, int(n));
    return int(n);
}

int HID_API_EXPORT hid_write(hid_device *dev, const unsigned char *data, size_t length) {
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.m);
    wakeUp(b);
    if (!usable(b, dev)) return -1;
    Wheel *w = wheelOf(b, dev);
    int result = w ? int(length) : -1;
    Fault fault;
    int arg = 0;
    if (w && takeFault(b, Op::Write, fault, arg)) {
        if (fault == Fault::Unplug) doUnplug(b, *w);
        result = -1;
    }
    if (result >= 0 && length >= kFrame && data[0] == 0x03) {
        const size_t from = size_t(data[1]) * 18;
        auto &table = w->live.ledTable;
        for (size_t i = 0; i < 18 && from + i < table.size(); ++i) table[from + i] = data[2 + i];
    }
    writeLog(b, Op::Write, dev->productId, data, length, result);
    return result;
}

int HID_API_EXPORT hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds) {
    Bus &b = bus();
    std::unique_lock<std::mutex> lock(b.m);
    if (!usable(b, dev)) return -1;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, milliseconds));
    for (;;) {
        if (dev->closed) {
            ++b.closedUses;
            return -1;
        }
        wakeUp(b);
        Wheel *w = wheelOf(b, dev);
        if (!w) {
            writeLog(b, Op::Read, dev->productId, nullptr, 0, -1);
            return -1;
        }
        if (!dev->reports.empty()) {
            std::vector<uint8_t> report = std::move(dev->reports.front());
            dev->reports.pop_front();
            size_t n = std::min(length, report.size());
            Fault fault;
            int arg = 0;
            if (takeFault(b, Op::Read, fault, arg)) {
                if (fault == Fault::Fail || fault == Fault::Unplug) {
                    if (fault == Fault::Unplug) doUnplug(b, *w);
                    writeLog(b, Op::Read, dev->productId, nullptr, 0, -1);
                    return -1;
                }
                if (fault == Fault::Short) n = std::min(n, size_t(std::max(0, arg)));
            }
            if (n > 0) std::memcpy(data, report.data(), n);  // an empty report has no data()
            writeLog(b, Op::Read, dev->productId, data, n, int(n));
            return int(n);
        }
        if (milliseconds == 0) return 0;
        if (milliseconds < 0) {
            b.cv.wait(lock);
        } else if (b.cv.wait_until(lock, deadline) == std::cv_status::timeout) {
            // One last look: a report may have come with the time-out.
            if (dev->reports.empty() || dev->closed) return dev->closed ? -1 : 0;
        }
    }
}

int HID_API_EXPORT hid_read(hid_device *dev, unsigned char *data, size_t length) {
    return hid_read_timeout(dev, data, length, dev && dev->nonBlocking ? 0 : -1);
}

const wchar_t HID_API_EXPORT *hid_error(hid_device *dev) {
    (void)dev;
    return L"simulated wheel: operation failed";
}

}  // extern "C"
