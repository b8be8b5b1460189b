// Helpers shared by the tests: bounded waits, per-test loopback addresses, and
// byte strings written as lists of ints.
#ifndef QUORVEL_TESTSUPPORT_H
#define QUORVEL_TESTSUPPORT_H

#include <QByteArray>
#include <QString>
#include <functional>
#include <initializer_list>

namespace testsupport {

// A loopback address (127.x.y.z) derived from the running test's full name, so
// tests can use the camera's fixed ports side by side in parallel processes.
QString testLoopbackAddress();

// The same, derived from any text (for tests that need two addresses).
QString loopbackAddressFor(const QString& a_Key);

// Processes Qt events until the condition holds or the time-out passes.
bool waitUntil(const std::function<bool()>& a_Condition, int a_TimeoutMs = 5000);

// Waits for a condition that other threads make true, without running this
// thread's events, as a client busy elsewhere would.
bool waitWithoutEvents(const std::function<bool()>& a_Condition, int a_TimeoutMs = 5000);

// The bytes given, each taken modulo 256.
QByteArray bytes(std::initializer_list<int> a_Values);

} // namespace testsupport

#endif
