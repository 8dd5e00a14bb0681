// Where the minimised main window draws its icon: centred in the client area,
// rounding up, in signed division that truncates toward zero.
#pragma once
#include <windows.h>

inline POINT CentredIconOrigin(const RECT& client, int iconWidth, int iconHeight) {
    return POINT{(client.right - client.left - iconWidth + 1) / 2,
                 (client.bottom - client.top - iconHeight + 1) / 2};
}
