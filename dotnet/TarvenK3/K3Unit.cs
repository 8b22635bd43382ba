using System;

namespace TarvenK3;

/// <summary>
/// The TARVEN K3 unit, opened: its monitor (<see cref="Monitor"/>) and its radio tuner
/// (<see cref="Radio"/>). The library keeps one connection per process, so one <see cref="K3Unit"/>
/// is open at a time; <see cref="Dispose"/> closes it. Calls from several threads are safe: each
/// runs whole, one after the other, as the library's own calls do.
/// </summary>
/// <example>
/// <code>
/// using var unit = K3Unit.Open();
/// Console.WriteLine(unit.Monitor.FirmwareVersion);
/// unit.Radio.Open();
/// unit.Radio.Tune(Frequency.Parse("93.5MHz"));
/// </code>
/// </example>
public sealed class K3Unit : IDisposable
{
    static readonly object OpenGate = new();
    static K3Unit? openUnit;

    bool disposed;

    K3Unit(OpenStatus status)
    {
        HasPortIo = (status & OpenStatus.PortIoUnavailable) == 0;
        HasMonitor = (status & OpenStatus.UnitUnavailable) == 0;
        Monitor = new K3Monitor(this);
        Radio = new K3Radio(this);
    }

    /// <summary>Whether port I/O opened: the radio needs it.</summary>
    public bool HasPortIo { get; }

    /// <summary>Whether the monitor unit opened: the <see cref="Monitor"/> calls need it.</summary>
    public bool HasMonitor { get; }

    /// <summary>The monitor: firmware, status, tilt and backlight.</summary>
    public K3Monitor Monitor { get; }

    /// <summary>The AM/FM radio tuner.</summary>
    public K3Radio Radio { get; }

    /// <summary>What every call of this unit holds: the typed layer's calls run one at a time.</summary>
    internal object Gate { get; } = new();

    /// <summary>
    /// Opens the unit (tcx_OpenTARVEN): port I/O for the radio and the monitor unit. Either half
    /// may be missing; <see cref="HasPortIo"/> and <see cref="HasMonitor"/> say which opened.
    /// </summary>
    /// <returns>The open unit; dispose it to close it.</returns>
    /// <exception cref="K3Exception">Neither half opened; <see cref="K3Exception.OpenStatus"/> holds tcx_OpenTARVEN's result.</exception>
    /// <exception cref="InvalidOperationException">A <see cref="K3Unit"/> of this process is open and not disposed.</exception>
    /// <exception cref="DllNotFoundException">TarvenK3Cmd.dll, or IO.dll or TarVenCOM.dll beside it, was not found.</exception>
    public static K3Unit Open()
    {
        lock (OpenGate)
        {
            if (openUnit is not null)
                throw new InvalidOperationException("The unit is open in this process already: dispose that K3Unit first.");
            NativeLibraryFolders.EnsureLoaded();
            var status = (OpenStatus)Native.tcx_OpenTARVEN();
            if (status == (OpenStatus.PortIoUnavailable | OpenStatus.UnitUnavailable))
            {
                Native.tcx_CloseTARVEN();
                throw new K3Exception("tcx_OpenTARVEN", "neither the monitor unit nor port I/O is available", status);
            }
            return openUnit = new K3Unit(status);
        }
    }

    /// <summary>Closes the unit (tcx_CloseTARVEN): switches the radio off, releases port I/O, closes the monitor unit. A second call does nothing.</summary>
    public void Dispose()
    {
        lock (OpenGate)
        lock (Gate)
        {
            if (disposed) return;
            disposed = true;
            Native.tcx_CloseTARVEN();
            openUnit = null;
        }
    }

    /// <summary>Call under <see cref="Gate"/>.</summary>
    internal void ThrowIfDisposed()
    {
        if (disposed) throw new ObjectDisposedException(nameof(K3Unit));
    }
}
