using System;

namespace TarvenK3;

/// <summary>
/// The monitor of an open <see cref="K3Unit"/>: firmware version, status, tilt and backlight
/// levels. Each call needs the monitor unit (<see cref="K3Unit.HasMonitor"/>), not port I/O, and
/// throws <see cref="K3Exception"/> without it or when the unit does not answer.
/// </summary>
public sealed class K3Monitor
{
    const int MinTiltSteps = 1, MaxTiltSteps = 3, MaxLevel = 15;

    readonly K3Unit unit;

    internal K3Monitor(K3Unit unit) => this.unit = unit;

    /// <summary>The unit's firmware version: major, second and third number (1.4.2).</summary>
    /// <exception cref="K3Exception">No monitor unit, or it did not answer.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public unsafe Version FirmwareVersion
    {
        get
        {
            lock (unit.Gate)
            {
                Require("tcx_GetFwVersion");
                byte* version = stackalloc byte[3];
                Check(Native.tcx_GetFwVersion(version), "tcx_GetFwVersion", "the monitor unit did not answer");
                return new Version(version[0], version[1], version[2]);
            }
        }
    }

    /// <summary>The unit's three status bits.</summary>
    /// <exception cref="K3Exception">No monitor unit, or it did not answer.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public MonitorStatus Status
    {
        get
        {
            lock (unit.Gate)
            {
                Require("tcx_GetDevStatus");
                var bits = ReadStatus("tcx_GetDevStatus");
                return new MonitorStatus(bits[0] != 0, bits[1] != 0, bits[2] != 0);
            }
        }
    }

    /// <summary>The day backlight level, 0 to 15.</summary>
    /// <exception cref="K3Exception">No monitor unit, or it did not report its status, which holds the levels.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public int DayBrightness => ReadLevel(Native.TCX_DAY_LEVEL);

    /// <summary>The night backlight level, 0 to 15.</summary>
    /// <exception cref="K3Exception">No monitor unit, or it did not report its status, which holds the levels.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public int NightBrightness => ReadLevel(Native.TCX_NIGHT_LEVEL);

    /// <summary>Tilts the monitor up (tcx_TiltUp). The unit stops at its end stop.</summary>
    /// <param name="steps">How far, 1 to 3.</param>
    /// <exception cref="ArgumentOutOfRangeException"><paramref name="steps"/> is outside 1 to 3.</exception>
    /// <exception cref="K3Exception">No monitor unit.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public void TiltUp(int steps = 1) => Tilt(steps, up: true);

    /// <summary>Tilts the monitor down (tcx_TiltDown). The unit stops at its end stop.</summary>
    /// <param name="steps">How far, 1 to 3.</param>
    /// <exception cref="ArgumentOutOfRangeException"><paramref name="steps"/> is outside 1 to 3.</exception>
    /// <exception cref="K3Exception">No monitor unit.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public void TiltDown(int steps = 1) => Tilt(steps, up: false);

    /// <summary>Sets both backlight levels (tcx_SetMonitorBrightness).</summary>
    /// <param name="day">The day level, 0 to 15.</param>
    /// <param name="night">The night level, 0 to 15.</param>
    /// <exception cref="ArgumentOutOfRangeException">A level is outside 0 to 15.</exception>
    /// <exception cref="K3Exception">No monitor unit.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public void SetBrightness(int day, int night)
    {
        if (day is < 0 or > MaxLevel) throw new ArgumentOutOfRangeException(nameof(day), day, "A level is 0 to 15.");
        if (night is < 0 or > MaxLevel) throw new ArgumentOutOfRangeException(nameof(night), night, "A level is 0 to 15.");
        lock (unit.Gate)
        {
            Require("tcx_SetMonitorBrightness");
            Check(Native.tcx_SetMonitorBrightness(day, night), "tcx_SetMonitorBrightness", "the monitor unit is not open");
        }
    }

    void Tilt(int steps, bool up)
    {
        if (steps is < MinTiltSteps or > MaxTiltSteps)
            throw new ArgumentOutOfRangeException(nameof(steps), steps, "The monitor tilts 1 to 3 steps at a time.");
        var function = up ? "tcx_TiltUp" : "tcx_TiltDown";
        lock (unit.Gate)
        {
            Require(function);
            Check(up ? Native.tcx_TiltUp(steps) : Native.tcx_TiltDown(steps), function, "the monitor unit is not open");
        }
    }

    // tcx_GetMonitorBrightness gives 0 for a failure as for a level of 0: the status read first
    // tells them apart, as k3ctl does.
    int ReadLevel(int selector)
    {
        lock (unit.Gate)
        {
            Require("tcx_GetMonitorBrightness");
            ReadStatus("tcx_GetMonitorBrightness");
            return Native.tcx_GetMonitorBrightness(selector);
        }
    }

    unsafe byte[] ReadStatus(string function)
    {
        byte* status = stackalloc byte[3];
        Check(Native.tcx_GetDevStatus(status), function, "the monitor unit did not report its status");
        return new[] { status[0], status[1], status[2] };
    }

    void Require(string function)
    {
        unit.ThrowIfDisposed();
        if (!unit.HasMonitor) throw new K3Exception(function, "the monitor unit is not open");
    }

    static void Check(byte result, string function, string reason)
    {
        if (result == 0) throw new K3Exception(function, reason);
    }
}
