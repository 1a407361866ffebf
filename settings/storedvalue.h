// Sliders remember the value last read from or stored into the wheel as
// decimal text in their status tip; a Save writes only when they differ.
#pragma once

#include <QString>

namespace settings {

// The remembered value; text that is not a 32-bit decimal number counts as 0.
inline qint32 storedValue(const QString &statusTip) {
    bool ok = false;
    const int value = statusTip.toInt(&ok, 10);
    return ok ? value : 0;
}

}  // namespace settings
