// Simulated wheels behind the hidapi C functions (sim.cpp implements them).
// Tests and the demo control the wheels through this API; the program itself
// only ever sees hidapi.
//
// Thread safe: the program calls hidapi from several threads while a test
// presses buttons or pulls the cable.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace sim {

constexpr uint16_t kVendorId = 0xC872;

// What a wheel holds. Two copies live in each wheel: the flash (kept across a
// reconnection) and the live one (what the wheel currently applies).
struct WheelState {
    std::string name;
    uint16_t paddleValue = 5000;
    // rightMax, leftMax, rightMin, leftMin, as the paddle record orders them.
    std::array<uint16_t, 4> paddleLimits{4096, 4096, 0, 0};
    std::map<uint8_t, int32_t> settings;  // by setting sub-index
    std::vector<uint8_t> ledTable;        // 72 bytes, 144 on a ZORIX
    bool extraPresent = true;
    std::array<uint8_t, 6> extraColours{255, 255, 255, 255, 255, 255};
    std::string firmwareVersion = "\tMar  7 2024,15:20:";  // as the wheel sends it
    uint8_t batteryPercent = 80;
    uint16_t batteryReading = 3900;
    uint8_t link = 1;  // 0 Bluetooth, 1 USB
    // Shifter thresholds learnt by the calibrations, by sub-index (3, 5, 6, 7).
    std::map<uint8_t, int32_t> shifterThresholds;
};

// A wheel straight from the factory for this name.
WheelState factoryState(const std::string &name);
// The wheel the demo and the screenshots show: the factory state with a
// colourful LED table and extra pair, on Bluetooth with a battery reading.
WheelState showroomState(const std::string &name);

enum class Op { Open, Close, Send, Get, Write, Read, SetNonBlocking };

struct LogEntry {
    uint64_t seq;
    Op op;
    uint16_t productId;
    std::thread::id thread;
    std::vector<uint8_t> bytes;  // sent bytes, or the bytes handed back
    int result;
};

// --- wheels ----------------------------------------------------------------
// Attaches a wheel. A product ID that was plugged before comes back with its
// flash (live state = flash); a new one, or one given a different name,
// starts from the factory state.
void plug(uint16_t productId, const std::string &name);
void unplug(uint16_t productId);
bool isPlugged(uint16_t productId);
// Forget every wheel, fault and log entry (test set-up).
void reset();

// --- inputs: every change queues one 17-byte input report -------------------
void press(uint16_t productId, int input);
void release(uint16_t productId, int input);
void setPaddles(uint16_t productId, uint16_t right, uint16_t left);
// Queues one report carrying the current state, changed or not.
void sendReport(uint16_t productId);
// The 17-byte input report of a wheel with these paddles and inputs.
std::vector<uint8_t> inputReport(uint16_t right, uint16_t left, uint64_t bits);
// Queues a raw report as is (for short reports: fewer than 17 bytes).
void sendRawReport(uint16_t productId, const std::vector<uint8_t> &report);
uint64_t inputBits(uint16_t productId);
size_t pendingReports(uint16_t productId);

// --- stored state --------------------------------------------------------------
WheelState flash(uint16_t productId);
WheelState live(uint16_t productId);
void setFlash(uint16_t productId, const WheelState &state);  // live follows
// Firmware image completed by the last finish frame.
std::vector<uint8_t> firmwareImage(uint16_t productId);
int firmwareUploads(uint16_t productId);
// How long the wheel stays off the bus after flashing (default 300 ms).
void setRebootTime(std::chrono::milliseconds time);

// --- frame log -----------------------------------------------------------------
std::vector<LogEntry> frameLog();
void clearLog();
// Logging every input report costs memory in long runs; on by default.
void setLogEnabled(bool enabled);
// Calls on a handle after it was closed (each one is a fault of the caller).
int closedHandleUses();
int openHandles();

// --- faults ---------------------------------------------------------------------
// The nth call of `op` from now (1 = the next one) misbehaves once.
enum class Fault {
    Fail,       // returns -1
    Short,      // Get: answers only `arg` bytes; Read: hands back `arg` bytes
    Unplug,     // the wheel is pulled in the middle of that call, which fails
    Garbage,    // Get: answers random bytes (seeded with `arg`)
    Stray,      // Get: names another record: byte 1 (with `arg` 2: byte 2, a setting's sub-index) + 1
    NoisyTail,  // Get: bytes 8 to 20, which no record uses, are random (seeded with `arg`)
};
void injectFault(Op op, int nth, Fault fault, int arg = 0);
// Every answer to a Get is random bytes from this seed on (0 turns it off).
void setRandomAnswers(uint32_t seed);
// Delay before every Get answers.
void setAnswerDelay(std::chrono::microseconds delay);
// Delay of every feature report sent (a slow USB link).
void setSendDelay(std::chrono::microseconds delay);
void clearFaults();
// Faults injected and not yet fired (a test checks its fault was reached).
int pendingFaults();

}  // namespace sim
