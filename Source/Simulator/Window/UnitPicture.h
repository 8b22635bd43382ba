// The monitor unit and the radio as the window draws them: the screen lit at the backlight's
// day level, both levels as bars, the tilt seen from the side between its end stops, and the
// radio's display with its station and stereo lamps.
#pragma once

#include <windows.h>

#include "PcState.h"

// Draws state into rect of dc.
void DrawUnit(HDC dc, const RECT& rect, const sim::PcState& state, bool unitPresent);
