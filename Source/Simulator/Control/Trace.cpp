#include "Trace.h"

namespace sim {

std::vector<std::pair<std::uint16_t, std::uint8_t>> Trace::PortWrites() const {
  std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
  for (const Event& e : events)
    if (e.kind == Event::PortWrite) writes.emplace_back(e.port, e.value);
  return writes;
}

std::vector<std::uint8_t> Trace::WritesTo(std::uint16_t port) const {
  std::vector<std::uint8_t> values;
  for (const Event& e : events)
    if (e.kind == Event::PortWrite && e.port == port) values.push_back(e.value);
  return values;
}

std::vector<std::string> Trace::Calls() const {
  std::vector<std::string> names;
  for (const Event& e : events)
    if (e.kind == Event::Call) names.emplace_back(e.call);
  return names;
}

std::size_t Trace::Count(Event::Kind kind) const {
  std::size_t n = 0;
  for (const Event& e : events) n += e.kind == kind;
  return n;
}

std::size_t Trace::CountCalls(const std::string& name) const {
  std::size_t n = 0;
  for (const Event& e : events) n += e.kind == Event::Call && name == e.call;
  return n;
}

}  // namespace sim
