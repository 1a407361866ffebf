// The answer check and decoders at their edges; the wheel operations' tests
// (core_ops) see every frame and answer of a normal exchange.
#include "check.h"
#include "device/protocol.h"

#include <tuple>

using namespace device;

namespace {
Answer answerWith(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    Answer a{};
    for (auto [at, v] : bytes) a[at] = v;
    return a;
}
}  // namespace

TEST_CASE("a Read record request, and a failed get that left an answer behind") {
    CHECK(readRecordFrame(0x0C, 0x09) == (Frame{0x02, 0x0B, 0x0C, 0x09}));
    const Answer a = answerWith({{1, RecPaddle}});
    CHECK(answerHolds(a, 21, RecPaddle, 0));
    CHECK(!answerHolds(a, -1, RecPaddle, 0));
}

TEST_CASE("paddle values at the mode boundaries") {
    const std::tuple<int, PaddleMode, int> rows[] = {{0, PaddleMode::Left, 0},
                                                     {10000, PaddleMode::Left, 10000},
                                                     {10001, PaddleMode::Right, 0},
                                                     {20001, PaddleMode::Right, 10000},
                                                     {20002, PaddleMode::Disabled, 5000}};
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

TEST_CASE("text fields stop at a zero byte or the end of the answer") {
    Answer a{};
    a[1] = RecIdentity;
    for (size_t i = 2; i < a.size(); ++i) a[i] = uint8_t('A' + i);
    bool ok = false;
    CHECK(identityName(a, &ok).size() == 19 && ok);
    a[1] = 0x0B;
    CHECK(identityName(a, &ok).empty() && !ok);

    // One trailing colon goes, as the wheel sends one after the minutes.
    const std::string text = "\tMar  7 2024,15:20::";
    Answer v{};
    std::copy(text.begin(), text.end(), v.begin() + 1);
    CHECK(firmwareVersionText(v) == "\tMar  7 2024,15:20:");
    v[text.size()] = 0;
    CHECK(firmwareVersionText(v) == "\tMar  7 2024,15:20");
    CHECK(firmwareVersionText(Answer{}).empty());
}

TEST_MAIN()
