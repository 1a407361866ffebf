#include "imagestream.h"

namespace firmware {

int blockProgress(size_t offset, size_t size) {
    if (size == 0) return 0;
    return int(offset * 96 / size);
}

bool ImageStream::next() {
    if (m_next >= m_image.size()) return false;
    m_offset = m_next;
    m_next += device::fillFirmwareBlock(m_frame, m_image.data(), m_image.size(), m_offset);
    return true;
}

}  // namespace firmware
