// The device object and the wheel operations against the simulated wheel:
// each operation's exchanges, frame by frame, and what it reports when the
// wheel fails, answers short or answers for another record. One table of
// reads, one of writes, and one test per kind of fault; then the answer
// check and decoders at their edges.
#include "check.h"
#include "device/models.h"
#include "device/wheelops.h"
#include "firmware/firmwareops.h"
#include "framelog.h"
#include "leds/ledops.h"
#include "settings/settingops.h"
#include "sim/simwheel.h"

#include <algorithm>
#include <functional>
#include <tuple>

using namespace device;

namespace {

constexpr uint16_t kPid = 0x2009;
using tu::Bytes, tu::commands, tu::frame, tu::readRequests;
using Requests = std::vector<std::pair<int, int>>;

// A ZORIX (eight LED blocks) holding something other than the factory's.
void fresh() {
    Device::instance().close();
    sim::reset();
    sim::plug(kPid, "Tarnwell ZORIX");
    sim::WheelState s = sim::flash(kPid);
    s.settings[SetEncoderPulse] = 180;
    s.paddleValue = 15001;
    s.paddleLimits = {4000, 3900, 10, 20};
    s.batteryPercent = 57;
    s.batteryReading = 4299;
    s.extraColours = {1, 2, 3, 4, 5, 6};
    for (size_t i = 0; i < s.ledTable.size(); ++i) s.ledTable[i] = uint8_t(i * 7 + 1);
    sim::setFlash(kPid, s);
    CHECK(Device::instance().open(kVendorId, kPid));
}

enum Got { Failed, Wrong, Right };
template <typename T, typename Check>
Got got(const std::optional<T> &result, Check right) {
    return !result ? Failed : right(*result) ? Right : Wrong;
}
template <typename T>
auto is(T want) {
    return [want](const T &v) { return v == want; };
}

Answer answerWith(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    Answer a{};
    for (auto [at, v] : bytes) a[at] = v;
    return a;
}

struct ReadOp {
    const char *name;
    Requests reads;
    int whole;  // bytes of the first answer it needs
    std::function<Got(Device &)> run;
};

// clang-format off
const std::vector<ReadOp> &readOps() {
    static const std::vector<ReadOp> ops = {
        {"identity", {{RecIdentity, 0}}, 3, [](Device &d) { return got(readIdentity(d), is<std::string>("Tarnwell ZORIX")); }},
        {"firmware version", {{RecFirmwareVersion, 0}}, 2,
         [](Device &d) { return got(readFirmwareVersion(d), is<std::string>("\tMar  7 2024,15:20")); }},
        {"power status", {{RecPower, 0}}, 6, [](Device &d) { return got(readPowerStatus(d), [](const PowerStatus &p) {
             return p.percent == 57 && p.reading == 4299 && p.link == 1; }); }},
        {"extra colors", {{RecExtraColors, 0}}, 9, [](Device &d) { return got(readExtraColors(d), [](const ExtraColors &e) {
             return e.present && e.extra1 == leds::Rgb{1, 2, 3} && e.extra2 == leds::Rgb{4, 5, 6}; }); }},
        {"setting", {{RecSetting, SetEncoderPulse}}, 7,
         [](Device &d) { return got(settings::readSetting(d, SetEncoderPulse), is<int32_t>(180)); }},
        {"paddle record", {{RecPaddle, 0}}, 13, [](Device &d) { return got(settings::readPaddleRecord(d), [](auto &r) {
             return r.value == 15001 && r.rightMax == 4000 && r.leftMax == 3900 && r.rightMin == 10 && r.leftMin == 20;
         }); }},
        // The clutches are on already: read, nothing written.
        {"switch as it is", {{RecSetting, SetClutchEnabled}}, 7,
         [](Device &d) { return settings::storeSwitch(d, SetClutchEnabled, true) ? Right : Failed; }},
        {"LED table", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}, 20,
         [](Device &d) {
             const leds::TableRead r = leds::readLedTable(d, ledModelFor("ZORIX"));
             if (!r.complete()) return Failed;
             return r.blocks == 8 && Bytes(r.table.begin(), r.table.end()) == sim::flash(kPid).ledTable ? Right : Wrong;
         }},
    };
    return ops;
}
// clang-format on

struct WriteOp {
    const char *name;
    int reads;                  // Read records before its first frame
    std::vector<Bytes> frames;  // what the wheel receives, in order
    bool stopsAtFailure;        // else every frame goes out even after one failed
    std::function<bool(Device &)> run;
};

const leds::Table kTable = [] {
    leds::Table t;
    for (size_t i = 0; i < t.size(); ++i) t[i] = uint8_t(i * 5 + 3);
    return t;
}();
std::vector<Bytes> blocks(std::initializer_list<int> order) {
    std::vector<Bytes> out;
    for (int i : order) {
        Bytes f = frame({3, i});
        std::copy_n(kTable.begin() + 18 * i, 18, f.begin() + 2);
        out.push_back(f);
    }
    return out;
}

const Bytes kImage = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
// A short last block keeps the previous block's bytes; the finish frame keeps all but byte 1.
std::vector<Bytes> imageFrames() {
    Bytes second = frame({2, 0x80, 1, 1, 26, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25});
    Bytes finish = second;
    finish[1] = CmdFinishFirmware;
    return {frame({2, 0x80, 0, 16, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}), second,
            finish};
}

// clang-format off
std::vector<WriteOp> writeOps() {
    std::vector<Bytes> storedTable = blocks({0, 1, 3, 4, 5, 6, 7, 2});
    storedTable.push_back(frame({2, 0x0E}));
    return {
        {"setting, applied", 0, {frame({2, 0x0C, 0x0A, 60})}, false,
         [](Device &d) { return settings::writeSetting(d, SetShifterPulse, 60, false); }},
        {"setting, stored", 0, {frame({2, 0x0C, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF})}, false,
         [](Device &d) { return settings::writeSetting(d, SetEncoderPulse, -2, true); }},
        // Limits held wider than 16 bits go out as their low 16 bits.
        {"paddle record", 0, {frame({2, 0x0A, 0x99, 0x3A, 0xEF, 0xA0, 0x0F, 0x3C, 0x0F, 0x0A, 0, 0x14, 0})}, false,
         [](Device &d) {
             return settings::writePaddleRecord(d, settings::paddleRecord(15001, 0x10FA0, 3900, 10, 20), true);
         }},
        {"shifter calibration start", 0, {frame({2, 0x0C, 0x03})}, false,
         [](Device &d) { return settings::startShifterCalibration(d, SetLeftShifterCal); }},
        {"shifter calibration finish", 0, {frame({2, 0x0C, 0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF})}, false,
         [](Device &d) { return settings::finishShifterCalibration(d, SetExtraRightShifterCal); }},
        {"switch changed", 1, {frame({2, 0x0C, 0x09, 1, 0, 0, 0, 0xEF})}, false,
         [](Device &d) { return settings::storeSwitch(d, SetExtraShiftersEnabled, true); }},
        {"extra colors", 0, {frame({2, 0x11, 0xEF, 1, 2, 3, 4, 5, 6})}, false,
         [](Device &d) { return leds::writeExtraColors(d, {1, 2, 3}, {4, 5, 6}, true); }},
        {"LED table, applied", 0, blocks({0, 1, 3, 2}), false,
         [](Device &d) { return leds::writeLedTable(d, ledModelFor("M-ZEN"), kTable, false); }},
        {"LED table, stored", 0, storedTable, false,
         [](Device &d) { return leds::writeLedTable(d, ledModelFor("ZORIX"), kTable, true); }},
        {"clear flash", 0, {frame({2, 0x0C, 0x10})}, false, [](Device &d) { return firmware::clearFlash(d); }},
        {"firmware image", 0, imageFrames(), true,
         [](Device &d) { return firmware::uploadImage(d, kImage, nullptr); }},
        {"empty firmware image", 0, {frame({2, CmdFinishFirmware})}, true,
         [](Device &d) { return firmware::uploadImage(d, {}, nullptr); }},
    };
}
// clang-format on

}  // namespace

TEST_CASE("every read asks for its record and decodes the answer") {
    for (const ReadOp &op : readOps()) {
        fresh();
        sim::clearLog();
        CHECK_FOR(op.name,
                  op.run(Device::instance()) == Right && readRequests() == op.reads && commands().empty());
    }
}

TEST_CASE("a read fails on a failed, pulled, noisy, stray or cut answer, and takes a whole one") {
    using sim::Op, sim::Fault;
    for (const ReadOp &op : readOps()) {
        // Only a setting's answer names a sub-index; other records keep data in byte 2.
        const bool setting = op.reads[0].first == RecSetting;
        const std::tuple<Op, Fault, int, bool> rows[] = {
            {Op::Send, Fault::Fail, 0, true},        {Op::Send, Fault::Unplug, 0, true},
            {Op::Get, Fault::Fail, 0, true},         {Op::Get, Fault::Unplug, 0, true},
            {Op::Get, Fault::Garbage, 0, true},      {Op::Get, Fault::Stray, 1, true},
            {Op::Get, Fault::Stray, 2, setting},     {Op::Get, Fault::Short, op.whole - 1, true},
            {Op::Get, Fault::Short, op.whole, false}};
        for (const auto &[call, fault, arg, fails] : rows) {
            fresh();
            sim::injectFault(call, 1, fault, arg);
            CHECK_FOR(op.name, (op.run(Device::instance()) == Failed) == fails);
        }
    }
}

TEST_CASE("an LED table read tells which block failed, and a second asks for that one only") {
    for (int failed = 0; failed < 8; ++failed) {
        fresh();
        sim::injectFault(sim::Op::Get, failed + 1, sim::Fault::Fail);
        leds::TableRead r = leds::readLedTable(Device::instance(), ledModelFor("ZORIX"));
        CHECK(r.blocks == 8);
        for (int b = 0; b < 8; ++b) CHECK(r.answered[size_t(b)] == (b != failed));
        sim::clearLog();
        CHECK(leds::completeLedTable(Device::instance(), r) && readRequests() == (Requests{{failed, 0}}) &&
              Bytes(r.table.begin(), r.table.end()) == sim::flash(kPid).ledTable);
    }
}

TEST_CASE("every write sends its frames and says the wheel took them") {
    for (const WriteOp &op : writeOps()) {
        fresh();
        sim::clearLog();
        CHECK_FOR(op.name, op.run(Device::instance()) && commands() == op.frames);
        CHECK_FOR(op.name, readRequests().size() == size_t(op.reads));
    }
}

TEST_CASE("a frame the wheel does not take, or is pulled at, fails the write") {
    for (const WriteOp &op : writeOps()) {
        for (size_t k = 0; k < op.frames.size(); ++k) {
            // The k-th frame's place among the calls of its kind.
            const sim::Op call = op.frames[k][0] == kLedReport ? sim::Op::Write : sim::Op::Send;
            int nth = 1 + (call == sim::Op::Send ? op.reads : 0);
            for (size_t j = 0; j < k; ++j) nth += (op.frames[j][0] == kLedReport) == (call == sim::Op::Write);
            for (const sim::Fault fault : {sim::Fault::Fail, sim::Fault::Unplug}) {
                fresh();
                sim::clearLog();
                sim::injectFault(call, nth, fault);
                CHECK_FOR(op.name, !op.run(Device::instance()));
                CHECK_FOR(op.name, commands().size() == (op.stopsAtFailure ? k + 1 : op.frames.size()));
            }
        }
    }
}

TEST_CASE("a switch is written over the answer just read") {
    fresh();
    sim::clearLog();
    sim::injectFault(sim::Op::Get, 1, sim::Fault::NoisyTail, 7);
    CHECK(settings::storeSwitch(Device::instance(), SetExtraShiftersEnabled, true));
    const auto log = sim::frameLog();
    const Bytes answer = log.at(log.size() - 2).bytes;
    const std::vector<Bytes> sent = commands();
    CHECK(sent.size() == 1 && answer.size() == 21 &&
          std::any_of(answer.begin() + 8, answer.end(), [](uint8_t b) { return b; }));
    CHECK(std::equal(answer.begin() + 8, answer.begin() + 20, sent.at(0).begin() + 8));
}

TEST_CASE("an upload reports each progress step once and places the whole image") {
    std::vector<int> steps;
    const auto record = [&](int p) { steps.push_back(p); };
    fresh();
    CHECK(firmware::uploadImage(Device::instance(), kImage, record) && steps == (std::vector<int>{0, 90}));
    fresh();
    steps.clear();
    Bytes largest(kMaxFirmwareSize);
    for (size_t i = 0; i < largest.size(); ++i) largest[i] = uint8_t(i * 37 + i / 251);
    CHECK(firmware::uploadImage(Device::instance(), largest, record) && sim::firmwareImage(kPid) == largest);
    for (size_t i = 0; i < 96; ++i) CHECK(steps.size() == 96 && steps[i] == int(i));
}

TEST_CASE("one wheel at a time, the first by product ID; with none open every call fails and sends nothing") {
    Device &d = Device::instance();
    d.close();
    sim::reset();
    CHECK(!openWheel(d));
    sim::plug(0x200B, "NVA4");
    sim::plug(kPid, "LB370");
    sim::clearLog();
    for (const ReadOp &op : readOps()) CHECK_FOR(op.name, op.run(d) == Failed);
    for (const WriteOp &op : writeOps()) CHECK_FOR(op.name, !op.run(d));
    Answer a;
    a.fill(0xAA);
    uint8_t buffer[kInputReportSize];
    CHECK(d.readRecord(RecIdentity, 0, a) < 0 && a == Answer{} && d.readInput(buffer, sizeof buffer, 0) < 0);
    CHECK(sim::frameLog().empty());

    CHECK(!d.open(kVendorId, 0x2007) && openWheel(d) == std::optional<uint16_t>(kPid));
    CHECK(!d.open(kVendorId, 0x200B) && d.productId() == kPid);
    CHECK(d.readRecord(RecIdentity, 0, a) == 21 && identityName(a, nullptr) == "LB370");

    sim::unplug(kPid);
    CHECK(d.sendCommand(writeSettingFrame(SetEncoderPulse, 50, false)) < 0);
    CHECK(d.readRecord(RecIdentity, 0, a) < 0 && d.readInput(buffer, sizeof buffer, 50) < 0);
    d.close();
    CHECK(d.productId() == 0 && !d.open(kVendorId, kPid));
    sim::plug(kPid, "LB370");
    CHECK(d.open(kVendorId, kPid) && d.readInput(buffer, sizeof buffer, 0) >= 0);
    d.close();
    CHECK(sim::closedHandleUses() == 0 && sim::openHandles() == 0);
}

TEST_CASE("a failed get that left an answer behind") {
    const Answer a = answerWith({{1, RecPaddle}});
    CHECK(answerHolds(a, 21, RecPaddle, 0) && !answerHolds(a, -1, RecPaddle, 0));
}

TEST_CASE("paddle values at the mode boundaries") {
    // clang-format off
    const std::tuple<int, PaddleMode, int> rows[] = {{0, PaddleMode::Left, 0}, {10000, PaddleMode::Left, 10000},
        {10001, PaddleMode::Right, 0}, {20001, PaddleMode::Right, 10000}, {20002, PaddleMode::Disabled, 5000}};
    // clang-format on
    for (const auto &[value, mode, bite] : rows) {
        const PaddleSetting s = decodePaddleValue(uint16_t(value));
        CHECK_FOR(std::to_string(value), s.mode == mode && s.bitePoint == bite);
        if (mode != PaddleMode::Disabled) CHECK(encodePaddleValue(mode, bite) == uint16_t(value));
    }
    CHECK(encodePaddleValue(PaddleMode::Disabled, 1234) == uint16_t(65535));
}

TEST_CASE("switches read as on only for exactly 1; values are signed") {
    CHECK(settingEnabled(answerWith({{3, 0x01}})));
    CHECK(!settingEnabled(answerWith({{3, 0x01}, {6, 0x01}})));
    CHECK(!settingEnabled(answerWith({{3, 0xFF}})));
    CHECK(settingValue(answerWith({{3, 0xFF}, {4, 0xFF}, {5, 0xFF}, {6, 0xFF}})) == -1);
    CHECK(!decodeExtraColors(answerWith({{2, 2}})).present);
    // Past the buffer reads as zero instead of touching memory beyond it.
    CHECK(u16At(Answer{}, 20) == 0 && i32At(Answer{}, 18) == 0);
}

TEST_CASE("a name runs to the end of an answer without a zero byte, and only an identity answer has one") {
    Answer a{};
    a[1] = RecIdentity;
    for (size_t i = 2; i < a.size(); ++i) a[i] = uint8_t('A' + i);
    bool ok = false;
    CHECK(identityName(a, &ok).size() == 19 && ok);
    a[1] = 0x0B;
    CHECK(identityName(a, &ok).empty() && !ok);
}

TEST_MAIN()
