// Every host test starts from a freshly loaded library on a simulated PC with its defaults:
// port access granted, a recognised monitor unit present.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "LibraryState.h"
#include "Simulator.h"
#include "TarvenK3Cmd.h"

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
