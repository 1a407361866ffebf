// Frames byte by byte and the answer decoders.
#include "check.h"
#include "device/protocol.h"

#include <numeric>

using namespace device;

namespace {
Answer answerWith(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    Answer a{};
    for (auto [at, v] : bytes) a[at] = v;
    return a;
}
std::vector<uint8_t> image(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + 3);
    return v;
}
}  // namespace

TEST_CASE("firmware block numbers are 15-bit big-endian") {
    const auto img = image(0x38000);
    struct {
        size_t offset;
        uint8_t b1, b2;
    } cases[] = {{0, 0x80, 0x00}, {0x1000, 0x81, 0x00}, {0x12340, 0x92, 0x34}, {0x37FF0, 0xB7, 0xFF}};
    for (auto c : cases) {
        Frame f{};
        CHECK_EQ(fillFirmwareBlock(f, img.data(), img.size(), c.offset), size_t(16));
        CHECK_EQ(f[0], 0x02);
        CHECK_EQ(f[1], c.b1);
        CHECK_EQ(f[2], c.b2);
        CHECK_EQ(f[3], 16);
        CHECK(std::equal(f.begin() + 4, f.end(), img.begin() + long(c.offset)));
        CHECK_EQ(firmwareBlockNumber(f.data()), uint32_t(c.offset / 16));
    }
}

TEST_CASE("a short last block keeps the previous block's bytes") {
    const auto img = image(100);
    Frame f{};
    for (size_t off = 0; off < img.size(); off += 16) fillFirmwareBlock(f, img.data(), img.size(), off);
    CHECK_EQ(f[3], 4);
    CHECK(std::equal(f.begin() + 4, f.begin() + 8, img.begin() + 96));
    CHECK(std::equal(f.begin() + 8, f.end(), img.begin() + 84));

    // 17 bytes: the second frame carries byte 16, then bytes 1..15 of the first.
    const auto small = image(17);
    Frame g{};
    fillFirmwareBlock(g, small.data(), small.size(), 0);
    CHECK_EQ(g[3], 16);
    fillFirmwareBlock(g, small.data(), small.size(), 16);
    const Frame second = g;
    CHECK_EQ(g[1], 0x80);
    CHECK_EQ(g[2], 0x01);
    CHECK_EQ(g[3], 0x01);
    CHECK_EQ(g[4], small[16]);
    CHECK(std::equal(g.begin() + 5, g.end(), small.begin() + 1));
    makeFinishFrame(g);
    CHECK_EQ(g[1], 0x10);
    CHECK(std::equal(g.begin() + 2, g.end(), second.begin() + 2));

    Frame empty{};
    makeFinishFrame(empty);
    CHECK_EQ(empty[0], 0x02);
    CHECK_EQ(empty[1], 0x10);
    CHECK(std::all_of(empty.begin() + 2, empty.end(), [](uint8_t b) { return b == 0; }));
}

TEST_CASE("command frames") {
    const Frame read = readRecordFrame(0x0C, 0x09);
    CHECK(read == (Frame{0x02, 0x0B, 0x0C, 0x09}));

    const Frame paddle = writePaddleFrame(10001, true, 0x1000, 0x0FFF, 0x0102, 0x0304);
    CHECK(paddle == (Frame{0x02, 0x0A, 0x11, 0x27, 0xEF, 0x00, 0x10, 0xFF, 0x0F, 0x02, 0x01, 0x04, 0x03}));
    CHECK_EQ(writePaddleFrame(65535, false, 0, 0, 0, 0)[4], 0x00);

    CHECK(writeSettingFrame(0x03, -1, true) == (Frame{0x02, 0x0C, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF}));
    CHECK(writeSettingFrame(0x04, 240, false) == (Frame{0x02, 0x0C, 0x04, 240}));
    CHECK(writeSettingFrame(0x10, 0, false) == (Frame{0x02, 0x0C, 0x10}));
    CHECK(storeLedFrame() == (Frame{0x02, 0x0E}));
    CHECK(writeExtraFrame(true, {1, 2, 3}, {4, 5, 6}) == (Frame{0x02, 0x11, 0xEF, 1, 2, 3, 4, 5, 6}));

    LedBlock block;
    std::iota(block.begin(), block.end(), uint8_t(100));
    const Frame led = ledBlockReport(2, block);
    CHECK_EQ(led[0], 0x03);
    CHECK_EQ(led[1], 2);
    CHECK(std::equal(led.begin() + 2, led.end(), block.begin()));

    // Built over an answer: bytes 8.. repeat what the answer held.
    Answer a;
    std::iota(a.begin(), a.end(), uint8_t(0x40));
    writeSettingInto(a.data(), 0x09, 255, true);
    CHECK(std::equal(a.begin(), a.begin() + 8, Frame{0x02, 0x0C, 0x09, 0xFF, 0, 0, 0, 0xEF}.begin()));
    CHECK_EQ(a[8], 0x48);
    CHECK_EQ(a[19], 0x53);
}

TEST_CASE("paddle values decode at the boundaries") {
    auto s = decodePaddleValue(10000);
    CHECK(s.mode == PaddleMode::Left);
    CHECK_EQ(s.bitePoint, 10000);
    s = decodePaddleValue(10001);
    CHECK(s.mode == PaddleMode::Right);
    CHECK_EQ(s.bitePoint, 0);
    s = decodePaddleValue(20001);
    CHECK(s.mode == PaddleMode::Right);
    CHECK_EQ(s.bitePoint, 10000);
    s = decodePaddleValue(20002);
    CHECK(s.mode == PaddleMode::Disabled);
    CHECK_EQ(s.bitePoint, 5000);
    CHECK_EQ(encodePaddleValue(PaddleMode::Disabled, 1234), uint16_t(65535));
    CHECK_EQ(encodePaddleValue(PaddleMode::Right, 10000), uint16_t(20001));
    CHECK_EQ(encodePaddleValue(PaddleMode::Left, 0), uint16_t(0));

    const Answer rec = answerWith({{2, 0x10}, {3, 0x27}, {4, 0xEF}, {5, 0x00}, {6, 0x10}, {7, 0x01},
                                   {8, 0x00}, {9, 0x02}, {10, 0x00}, {11, 0x03}, {12, 0x00}});
    const PaddleRecord r = decodePaddleRecord(rec);
    CHECK_EQ(r.value, uint16_t(10000));
    CHECK_EQ(r.rightMax, uint16_t(4096));
    CHECK_EQ(r.leftMax, uint16_t(1));
    CHECK_EQ(r.rightMin, uint16_t(2));
    CHECK_EQ(r.leftMin, uint16_t(3));
}

TEST_CASE("enable settings read as on only for exactly 1") {
    CHECK(settingEnabled(answerWith({{3, 0x01}})));
    CHECK(!settingEnabled(answerWith({{3, 0x01}, {6, 0x01}})));
    CHECK(!settingEnabled(answerWith({{3, 0xFF}})));
    CHECK(!settingEnabled(Answer{}));
    CHECK_EQ(settingValue(answerWith({{3, 0xFF}, {4, 0xFF}, {5, 0xFF}, {6, 0xFF}})), -1);
    CHECK_EQ(settingValue(answerWith({{3, 250}})), 250);
}

TEST_CASE("text fields stop at a zero byte or the end of the answer") {
    Answer a{};
    a[1] = RecIdentity;
    for (size_t i = 2; i < a.size(); ++i) a[i] = uint8_t('A' + i);
    bool ok = false;
    CHECK_EQ(identityName(a, &ok).size(), size_t(19));
    CHECK(ok);
    a[1] = 0x0B;
    CHECK(identityName(a, &ok).empty());
    CHECK(!ok);

    Answer v{};
    for (size_t i = 1; i < v.size(); ++i) v[i] = 'x';
    v[1] = '\t';
    CHECK_EQ(firmwareVersionText(v).size(), size_t(20));
    v[20] = ':';
    CHECK_EQ(firmwareVersionText(v).size(), size_t(19));

    const std::string text = "\tMar  7 2024,15:20::";
    Answer w{};
    std::copy(text.begin(), text.end(), w.begin() + 1);
    CHECK(firmwareVersionText(w) == "\tMar  7 2024,15:20:");
    w[text.size()] = 0;
    CHECK(firmwareVersionText(w) == "\tMar  7 2024,15:20");
    CHECK(firmwareVersionText(Answer{}).empty());
}

TEST_CASE("power status and extra colours") {
    const PowerStatus p = decodePowerStatus(answerWith({{2, 57}, {3, 0xCB}, {4, 0x10}, {5, 1}}));
    CHECK_EQ(p.percent, 57);
    CHECK_EQ(p.reading, 4299);
    CHECK_EQ(p.link, 1);
    const ExtraColors e = decodeExtraColors(answerWith({{2, 1}, {3, 10}, {5, 30}, {6, 40}, {8, 60}}));
    CHECK(e.present);
    CHECK(e.extra1 == (std::array<uint8_t, 3>{10, 0, 30}));
    CHECK(e.extra2 == (std::array<uint8_t, 3>{40, 0, 60}));
    CHECK(!decodeExtraColors(answerWith({{2, 2}})).present);
    // Reading past the buffer yields zero instead of touching memory beyond it.
    CHECK_EQ(u16At(Answer{}, 20), uint16_t(0));
    CHECK_EQ(i32At(Answer{}, 18), 0);
}

TEST_MAIN()
