// The frames of one firmware upload and the progress they stand for. Pure:
// the worker thread sends what this yields, and a test can walk it directly.
#pragma once

#include "device/protocol.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace firmware {

// Progress after the block at `offset` of a `size`-byte image: 0 to 95.
int blockProgress(size_t offset, size_t size);

// Walks an image block by block through one reused frame, as the wheel
// expects it: the bytes past a short last block repeat the previous block,
// and the finish frame keeps everything but the command byte.
class ImageStream {
public:
    explicit ImageStream(std::vector<uint8_t> image) : m_image(std::move(image)) {}

    // Fills the frame with the next block; false once the image is sent.
    bool next();
    // Progress of the block just filled.
    int progress() const { return blockProgress(m_offset, m_image.size()); }
    // Turns the frame into the finish frame.
    void finish() { device::makeFinishFrame(m_frame); }
    const device::Frame &frame() const { return m_frame; }
    size_t size() const { return m_image.size(); }

private:
    std::vector<uint8_t> m_image;
    device::Frame m_frame{};
    size_t m_offset = 0;
    size_t m_next = 0;
};

}  // namespace firmware
