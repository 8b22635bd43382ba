// The carriers on the air that the simulated tuner can receive, as a plain value of fixed size:
// a PC's tuner and one shared by several processes hold them alike.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace sim {

enum RadioBand : std::int32_t { kFmBand = 0, kAmBand = 1 };

// A carrier on the air. Frequency in the band's unit: FM in 10 kHz steps, AM in kHz.
struct Station {
  RadioBand band;
  std::int32_t frequency;
  bool stereo;  // only FM carries a stereo pilot
};

// Up to kCapacity stations, in the order they were added; more are not taken.
class StationList {
 public:
  static constexpr int kCapacity = 32;

  StationList() = default;
  StationList(std::initializer_list<Station> stations) { assign(stations.begin(), stations.end()); }
  StationList& operator=(std::initializer_list<Station> stations) {
    assign(stations.begin(), stations.end());
    return *this;
  }
  StationList& operator=(const std::vector<Station>& stations) {
    assign(stations.begin(), stations.end());
    return *this;
  }

  template <typename It>
  void assign(It first, It last) {
    clear();
    for (; first != last; ++first) push_back(*first);
  }
  // False when the list is full and station was not taken.
  bool push_back(const Station& station) {
    if (count_ == kCapacity) return false;
    stations_[count_++] = station;
    return true;
  }
  // Takes out the station at index; the later ones move up.
  void erase(int index) {
    for (int i = index; i + 1 < count_; ++i) stations_[i] = stations_[i + 1];
    if (index >= 0 && index < count_) --count_;
  }
  void clear() { count_ = 0; }

  std::size_t size() const { return static_cast<std::size_t>(count_); }
  bool empty() const { return count_ == 0; }
  const Station& operator[](std::size_t i) const { return stations_[i]; }
  Station& operator[](std::size_t i) { return stations_[i]; }
  const Station* begin() const { return stations_.data(); }
  const Station* end() const { return stations_.data() + count_; }

 private:
  std::int32_t count_ = 0;
  std::array<Station, kCapacity> stations_{};
};

}  // namespace sim
