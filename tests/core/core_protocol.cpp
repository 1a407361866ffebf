// The answer decoders, and the one frame no operation test sees whole.
#include "check.h"
#include "device/protocol.h"

using namespace device;

namespace {
Answer answerWith(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    Answer a{};
    for (auto [at, v] : bytes) a[at] = v;
    return a;
}
}  // namespace

// The other frames go through the wheel operations (core_ops).
TEST_CASE("a Read record request") { CHECK(readRecordFrame(0x0C, 0x09) == (Frame{0x02, 0x0B, 0x0C, 0x09})); }

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

    // clang-format off
    const Answer rec = answerWith({{2, 0x10}, {3, 0x27}, {4, 0xEF}, {5, 0x00}, {6, 0x10}, {7, 0x01},
                                   {8, 0x00}, {9, 0x02}, {10, 0x00}, {11, 0x03}, {12, 0x00}});
    // clang-format on
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
