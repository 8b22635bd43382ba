#include "NeededFiles.h"

namespace {

constexpr char kCopyLibrary[] = "copy TarvenK3Cmd.dll from the package's bin folder into k3ctl's folder";
constexpr char kCopyDrivers[] =
    "copy the unit's 32-bit IO.dll and TarVenCOM.dll (from its drivers) into k3ctl's folder";
constexpr char kCopyBridge[] =
    "only 64-bit programs need the bridge: copy the package's bin64 folder whole, x86 included";
constexpr char kCopyBridgeDrivers[] =
    "copy the unit's 32-bit IO.dll and TarVenCOM.dll into bin64\\x86, beside TarvenK3Host.exe";

}  // namespace

const NeededFile kNeededFiles[kNeededFileCount] = {
    {"TarvenK3Cmd.dll", "TarvenK3Cmd.dll", FileHome::Program, true, 0, kCopyLibrary},
    {"IO.dll", "IO.dll", FileHome::Program, true, 0, kCopyDrivers},
    {"TarVenCOM.dll", "TarVenCOM.dll", FileHome::Program, true, 0, kCopyDrivers},
    {"bin64\\TarvenK3Cmd.dll", "TarvenK3Cmd.dll", FileHome::Bridge, false, kMachineX64, kCopyBridge},
    {"bin64\\x86\\TarvenK3Host.exe", "TarvenK3Host.exe", FileHome::BridgeHost, false, kMachineX86, kCopyBridge},
    {"bin64\\x86\\TarvenK3Cmd.dll", "TarvenK3Cmd.dll", FileHome::BridgeHost, false, kMachineX86, kCopyBridge},
    {"bin64\\x86\\IO.dll", "IO.dll", FileHome::BridgeHost, true, kMachineX86, kCopyBridgeDrivers},
    {"bin64\\x86\\TarVenCOM.dll", "TarVenCOM.dll", FileHome::BridgeHost, true, kMachineX86, kCopyBridgeDrivers},
};
