// What the simulated wheel was sent, as the tests compare it; Qt-free, so
// the core's programs share it.
#pragma once

#include "sim/simwheel.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tu {

using Bytes = std::vector<uint8_t>;

// A 20-byte frame: the given leading bytes, zeros after them.
inline Bytes frame(std::initializer_list<int> leading) {
    Bytes f(20, 0);
    std::copy(leading.begin(), leading.end(), f.begin());
    return f;
}

inline bool isReadRequest(const sim::LogEntry &e) {
    return e.op == sim::Op::Send && e.bytes.size() > 3 && e.bytes[1] == 0x0B;
}

// Read record requests as (record, sub-index), in order.
inline std::vector<std::pair<int, int>> readRequests() {
    std::vector<std::pair<int, int>> out;
    for (const auto &e : sim::frameLog())
        if (isReadRequest(e)) out.emplace_back(e.bytes[2], e.bytes[3]);
    return out;
}

// Everything else the wheel was asked to do (feature reports and output
// reports), in order; failed calls included.
inline std::vector<Bytes> commands() {
    std::vector<Bytes> out;
    for (const auto &e : sim::frameLog())
        if (e.op == sim::Op::Write || (e.op == sim::Op::Send && !isReadRequest(e))) out.push_back(e.bytes);
    return out;
}

}  // namespace tu
