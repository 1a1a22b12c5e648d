#pragma once

namespace merivane {

// A delay the device stores as one number of seconds, with -32768 (or any negative number)
// for "never", shown as a switch and hours, minutes and seconds.
struct DelayFields {
    int enabled = 0;  // 1 or 0
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// What the device stores for a delay that is switched off.
inline constexpr int kDelayOff = -32768;

// A negative delay is off and shows 0 hours, 1 minute, 0 seconds; any other is on and shows
// its whole hours, the remaining whole minutes and the remaining seconds.
DelayFields SplitDelay(int seconds);

// The stored delay: the fields' total in seconds when on (minutes and seconds may each be up
// to 60), kDelayOff when off.
int JoinDelay(const DelayFields& fields);

}  // namespace merivane
