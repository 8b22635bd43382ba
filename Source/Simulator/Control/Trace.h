// The ordered record of everything the simulated PC saw: port reads and writes, and calls of
// the two outside libraries.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sim {

struct Event {
  enum Kind : std::uint8_t { PortRead, PortWrite, Call };
  Kind kind;
  std::uint16_t port;       // PortRead, PortWrite
  std::uint8_t value;       // PortRead: byte read; PortWrite: byte written
  const char* call;         // Call: the function's name
  std::uint64_t args[3];    // Call: its arguments, widened
};

class Trace {
 public:
  bool enabled = true;
  std::vector<Event> events;

  void Port(Event::Kind kind, std::uint16_t port, std::uint8_t value) {
    if (enabled) events.push_back({kind, port, value, nullptr, {}});
  }
  void Call(const char* name, std::uint64_t a = 0, std::uint64_t b = 0, std::uint64_t c = 0) {
    if (enabled) events.push_back({Event::Call, 0, 0, name, {a, b, c}});
  }
  void Clear() { events.clear(); }

  // (port, value) of every port write, in order.
  std::vector<std::pair<std::uint16_t, std::uint8_t>> PortWrites() const;
  // Values written to one port, in order.
  std::vector<std::uint8_t> WritesTo(std::uint16_t port) const;
  // Names of the library calls, in order.
  std::vector<std::string> Calls() const;
  // How many events of each kind.
  std::size_t Count(Event::Kind kind) const;
  std::size_t CountCalls(const std::string& name) const;
};

}  // namespace sim
