// The DLL as a customer's program meets it: loaded by file name, bound by decorated names,
// run against the stand-in IO.dll and TarVenCOM.dll, and unloaded with a connection open.
#include <utility>

#include "BoundLibrary.h"

using ::testing::ElementsAre;

using Connection = DllTest;

TEST_F(Connection, ExportsAreBoundByDecoratedNamesOnly) {
  EXPECT_NE(GetProcAddress(library, "_tcx_OpenTARVEN@0"), nullptr);
  EXPECT_NE(GetProcAddress(library, "_tcx_CloseTARVEN@0"), nullptr);
  EXPECT_NE(GetProcAddress(library, "_tcx_IsOpenTARVEN@0"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "tcx_OpenTARVEN"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "tcx_OpenTARVEN@0"), nullptr);
}

TEST_F(Connection, LoadingTouchesNoPortAndNoDevice) {
  EXPECT_EQ(TarvenSim_TraceLength(), 0);
}

TEST_F(Connection, OpenReportsEachHalfAndCloseReleasesBoth) {
  auto open = Bound(library).OpenTARVEN;
  auto isOpen = Bound(library).IsOpenTARVEN;
  auto close = Bound(library).CloseTARVEN;

  EXPECT_EQ(isOpen(), 0);
  EXPECT_EQ(open(), 0);
  EXPECT_EQ(isOpen(), 1);
  EXPECT_EQ(SimPortWrites().size(), 10u);
  EXPECT_EQ(TarvenSim_OpenDeviceHandles(), 1);

  close();
  EXPECT_EQ(isOpen(), 0);
  EXPECT_EQ(TarvenSim_OpenDeviceHandles(), 0);
  EXPECT_EQ(TarvenSim_PortIoInitialized(), 0);

  TarvenSim_SetPortAccess(0);
  EXPECT_EQ(open(), 1);
  TarvenSim_SetUnitPresent(0);
  close();
  EXPECT_EQ(open(), 3);
  TarvenSim_SetPortAccess(1);
  TarvenSim_SetModel("QX9A");
  EXPECT_EQ(open(), 2);
  EXPECT_EQ(isOpen(), 0);
}

using LibraryUnload = DllTest;

TEST_F(LibraryUnload, FreeLibraryWithConnectionOpenReleasesDeviceAndPortOnce) {
  auto open = Bound(library).OpenTARVEN;
  ASSERT_EQ(open(), 0);
  TarvenSim_ClearTrace();
  UnloadLibrary();
  EXPECT_THAT(SimCalls(), ElementsAre("TarVen_Close", "ShutdownWinIo"));
  EXPECT_THAT(SimPortWrites(), ElementsAre(std::make_pair(0x378, 0x98)));
  EXPECT_EQ(TarvenSim_OpenDeviceHandles(), 0);
  EXPECT_EQ(TarvenSim_PortIoInitialized(), 0);
}

TEST_F(LibraryUnload, FreeLibraryAfterCloseReleasesNothing) {
  auto open = Bound(library).OpenTARVEN;
  auto close = Bound(library).CloseTARVEN;
  ASSERT_EQ(open(), 0);
  close();
  TarvenSim_ClearTrace();
  UnloadLibrary();
  EXPECT_EQ(TarvenSim_TraceLength(), 0);
}

TEST_F(LibraryUnload, ReloadStartsFromTheInitialState) {
  auto open = Bound(library).OpenTARVEN;
  ASSERT_EQ(open(), 0);
  UnloadLibrary();
  library = TcxLoadLibrary();
  ASSERT_NE(library, nullptr);
  auto isOpen = Bound(library).IsOpenTARVEN;
  EXPECT_EQ(isOpen(), 0);
}
