using System.Runtime.InteropServices;
using Xunit;

[assembly: CollectionBehavior(DisableTestParallelization = true)]

namespace TarvenK3.Tests;

/// <summary>
/// The simulated PC inside libTarvenK3Cmd.so, set up as a program started with the TARVEN_SIM_*
/// variables finds it (Source/Simulator/README.txt). Each test starts from a fresh one, and fails
/// if the PC saw a fault (a port touched without access, a handle not open).
/// </summary>
public abstract class SimulatedPc : IDisposable
{
    const string Library = "TarvenK3Cmd";

    // Those the process started with and those the tests set: cleared before each test.
    static readonly HashSet<string> Variables = Environment.GetEnvironmentVariables().Keys.Cast<string>()
        .Where(name => name.StartsWith("TARVEN_SIM_", StringComparison.Ordinal)).ToHashSet();

    K3Unit? unit;

    protected SimulatedPc() => Reset();

    /// <summary>A fresh simulated PC with these settings ("UNIT=absent"), the rest their defaults.</summary>
    protected static void Reset(params string[] settings)
    {
        foreach (var name in Variables) unsetenv(name);
        foreach (var setting in settings.Select(s => s.Split('=')))
        {
            Variables.Add("TARVEN_SIM_" + setting[0]);
            setenv("TARVEN_SIM_" + setting[0], setting[1], 1);
        }
        TarvenSim_ResetFromEnvironment();
    }

    /// <summary>The unit opened on a PC with these settings; closed after the test.</summary>
    protected K3Unit Open(params string[] settings)
    {
        Reset(settings);
        return unit = K3Unit.Open();
    }

    public void Dispose()
    {
        unit?.Dispose();
        Assert.Equal(0, TarvenSim_FaultCount());
    }

    // .NET's Environment.SetEnvironmentVariable does not reach the C environment on Linux.
    [DllImport("libc")] static extern int setenv(string name, string value, int overwrite);
    [DllImport("libc")] static extern int unsetenv(string name);
    [DllImport(Library)] static extern void TarvenSim_ResetFromEnvironment();
    [DllImport(Library)] static extern int TarvenSim_FaultCount();
    [DllImport(Library)] protected static extern void TarvenSim_ClearTrace();
    [DllImport(Library)] protected static extern int TarvenSim_TraceLength();
    [DllImport(Library)] protected static extern int TarvenSim_PortIoInitialized();
    [DllImport(Library)] protected static extern int TarvenSim_OpenDeviceHandles();
    [DllImport(Library)] protected static extern void TarvenSim_GetMonitor(out int tilt, out int dayLevel, out int nightLevel);
}
