// Bounded waits that keep the Qt event loop running, so the library's queued
// status texts and callbacks arrive while the tool waits.
#ifndef TOOLS_EVENTWAIT_H
#define TOOLS_EVENTWAIT_H

#include <functional>

namespace tool {

// Runs the event loop in short slices until the condition holds or the time is up;
// returns the condition's last value.
bool waitFor(const std::function<bool()>& a_Condition, int a_TimeoutMs);
// Runs the event loop for the given time.
void runEventsFor(int a_Ms);

} // namespace tool

#endif
