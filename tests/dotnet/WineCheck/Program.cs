// Checks the typed API on Windows against the simulated unit of the TarvenK3.Simulator package:
// on x86 straight into the 32-bit library, on x64 through the bridge and its 32-bit host. The
// runner sets the simulator's settings (TARVEN_SIM_*) before the program starts, and
// TARVEN_SIM_REPORT names the file in which the simulated PC reports what it holds.
//   WineCheck            the unit present: every call's result
//   WineCheck absent     TARVEN_SIM_UNIT=absent: the monitor half is missing
//   WineCheck nothing    TARVEN_SIM_UNIT=absent and TARVEN_SIM_PORT_ACCESS=denied: nothing opens
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Runtime.InteropServices;
using TarvenK3;

string platform = $"win-{RuntimeInformation.ProcessArchitecture.ToString().ToLowerInvariant()}";
int passed = 0, failed = 0;

void Check(string what, bool ok, object? seen)
{
    Console.WriteLine($"{platform}: {(ok ? "ok  " : "FAIL")} {what}: {seen}");
    if (ok) passed++; else failed++;
}

// The simulated unit's tilt position, as its state report gives it.
int ReportedTilt() =>
    int.Parse(File.ReadAllLines(Environment.GetEnvironmentVariable("TARVEN_SIM_REPORT")!)
        .Single(line => line.StartsWith("monitor.tilt=", StringComparison.Ordinal))
        .Substring("monitor.tilt=".Length));

string mode = args.Length > 0 ? args[0] : "present";
if (mode == "nothing")
{
    try
    {
        using K3Unit unit = K3Unit.Open();
        Check("K3Unit.Open with neither half", false, "no exception");
    }
    catch (K3Exception e)
    {
        Check("K3Unit.Open with neither half throws", e.OpenStatus == (OpenStatus.PortIoUnavailable | OpenStatus.UnitUnavailable), e.Message);
    }
}
else if (mode == "absent")
{
    using K3Unit unit = K3Unit.Open();
    Check("halves open", unit.HasPortIo && !unit.HasMonitor, $"port I/O {unit.HasPortIo}, monitor {unit.HasMonitor}");
    try
    {
        Version version = unit.Monitor.FirmwareVersion;
        Check("firmware without the monitor", false, version);
    }
    catch (K3Exception e)
    {
        Check("firmware without the monitor throws", e.Function == "tcx_GetFwVersion", e.Message);
    }
}
else
{
    using K3Unit unit = K3Unit.Open();
    Check("halves open", unit.HasPortIo && unit.HasMonitor, $"port I/O {unit.HasPortIo}, monitor {unit.HasMonitor}");

    Version expected = Version.Parse(Environment.GetEnvironmentVariable("TARVEN_SIM_FIRMWARE")!);
    Version firmware = unit.Monitor.FirmwareVersion;
    Check("firmware", firmware.Equals(expected), firmware);

    unit.Monitor.SetBrightness(11, 6);
    Check("brightness set and read", unit.Monitor.DayBrightness == 11 && unit.Monitor.NightBrightness == 6,
          $"day {unit.Monitor.DayBrightness}, night {unit.Monitor.NightBrightness}");

    int before = ReportedTilt();
    unit.Monitor.TiltUp(2);
    int up = ReportedTilt();
    unit.Monitor.TiltDown();
    Check("tilt up 2, down 1", up == before + 2 && ReportedTilt() == before + 1, $"{before} -> {up} -> {ReportedTilt()}");

    unit.Radio.Open();
    bool station = unit.Radio.Detect(Frequency.FromMegahertz(93.5));
    bool stereo = unit.Radio.IsStereo;
    Check("FM 93.50 MHz detected, stereo", station && stereo, $"station {station}, stereo {stereo}");
    bool empty = unit.Radio.Detect(Frequency.Parse("95MHz"));
    Check("FM 95.00 MHz: no station", !empty, $"station {empty}");

    var steps = new List<ScanProgress>();
    IReadOnlyList<Station> found = await unit.Radio.ScanAsync(
        Band.Fm, new ScanOptions { From = Frequency.FromMegahertz(93.0), To = Frequency.FromMegahertz(94.0) },
        new Recorder(steps));
    Check("scan FM 93.00-94.00 MHz", found.Count == 1 && found[0].Frequency == Frequency.FromMegahertz(93.5) && found[0].Stereo
          && steps.Count > 0 && steps[^1].Step == steps[^1].StepCount,
          $"{string.Join(", ", found.Select(s => $"{s.Frequency}{(s.Stereo ? " stereo" : "")}"))} in {steps.Count} steps");
    unit.Radio.Close();
    Check("radio closed", !unit.Radio.IsOpen, unit.Radio.IsOpen);
}

Console.WriteLine($"{platform}: {passed} passed, {failed} failed");
return failed == 0 && passed > 0 ? 0 : 1;

// Progress reported on the scanning thread, kept in order.
internal sealed class Recorder(List<ScanProgress> steps) : IProgress<ScanProgress>
{
    public void Report(ScanProgress value)
    {
        lock (steps) steps.Add(value);
    }
}
