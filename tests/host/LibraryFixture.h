// Every host test starts from a freshly loaded library on a simulated PC with its defaults:
// port access granted, a recognised monitor unit present.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LibraryState.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

using PortWrite = std::pair<std::uint16_t, std::uint8_t>;

// The ten Super I/O configuration writes that precede the radio's use of the parallel port.
inline const std::vector<PortWrite> kSuperIoSequence = {
    {0x2E, 0x87}, {0x2E, 0x87}, {0x2E, 0x07}, {0x2F, 0x01}, {0x2E, 0x60},
    {0x2F, 0xDE}, {0x2E, 0x30}, {0x2F, 0x00}, {0x2E, 0xF0}, {0x2F, 0x08},
};

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset();
    libraryState = LibraryState{};
  }
  // Whatever a test did, the simulated PC must not have seen a port touched without access,
  // a handle used that was not open, or an access wider than a byte.
  void TearDown() override { EXPECT_THAT(pc.faults, ::testing::IsEmpty()); }

  sim::SimulatedPc& pc = sim::Pc();
};
