using System;
using System.Collections.Generic;
using System.Threading;
using System.Threading.Tasks;

namespace TarvenK3;

/// <summary>
/// The AM/FM radio tuner of an open <see cref="K3Unit"/>. It needs port I/O
/// (<see cref="K3Unit.HasPortIo"/>), and every call but <see cref="Open"/>, <see cref="Close"/> and
/// <see cref="IsOpen"/> needs the radio open; otherwise they throw <see cref="K3Exception"/>.
/// </summary>
public sealed class K3Radio
{
    readonly K3Unit unit;

    internal K3Radio(K3Unit unit) => this.unit = unit;

    /// <summary>Whether the radio is open (tcx_IsOpenRadio).</summary>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public bool IsOpen
    {
        get
        {
            lock (unit.Gate)
            {
                unit.ThrowIfDisposed();
                return Native.tcx_IsOpenRadio() != 0;
            }
        }
    }

    /// <summary>Whether the tuner's stereo indicator is on, whatever band is tuned (tcx_GetFMStereoState).</summary>
    /// <exception cref="K3Exception">The radio is not open.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public bool IsStereo
    {
        get
        {
            lock (unit.Gate)
            {
                RequireOpen("tcx_GetFMStereoState");
                return Native.tcx_GetFMStereoState() != 0;
            }
        }
    }

    /// <summary>Switches the radio on (tcx_OpenRadio); opening an open radio does it again.</summary>
    /// <exception cref="K3Exception">Port I/O is not available.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public void Open()
    {
        lock (unit.Gate)
        {
            RequirePortIo("tcx_OpenRadio");
            Check(Native.tcx_OpenRadio(), "tcx_OpenRadio", "port I/O is not available");
        }
    }

    /// <summary>Switches the radio off (tcx_CloseRadio), for every program sharing the unit; closing a closed radio does it again.</summary>
    /// <exception cref="K3Exception">Port I/O is not available, or the port write failed.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public void Close()
    {
        lock (unit.Gate)
        {
            RequirePortIo("tcx_CloseRadio");
            Check(Native.tcx_CloseRadio(), "tcx_CloseRadio", "the port write failed");
        }
    }

    /// <summary>Tunes <paramref name="frequency"/> on its band (tcx_SetChannelRadio).</summary>
    /// <param name="frequency">What to tune.</param>
    /// <exception cref="ArgumentOutOfRangeException"><paramref name="frequency"/> is <c>default</c>, not a frequency of a band.</exception>
    /// <exception cref="K3Exception">The radio is not open.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public void Tune(Frequency frequency)
    {
        RequireValid(frequency);
        lock (unit.Gate)
        {
            RequireOpen("tcx_SetChannelRadio");
            Tune(frequency.Band, frequency.LibraryValue);
        }
    }

    /// <summary>
    /// Tunes <paramref name="frequency"/> and tells whether a station is received there
    /// (tcx_GetChannelDetectState). Blocks for 140 to 300 ms on a real unit.
    /// </summary>
    /// <param name="frequency">Where to listen.</param>
    /// <returns>Whether a station was detected.</returns>
    /// <exception cref="ArgumentOutOfRangeException"><paramref name="frequency"/> is <c>default</c>, not a frequency of a band.</exception>
    /// <exception cref="K3Exception">The radio is not open.</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public bool Detect(Frequency frequency)
    {
        RequireValid(frequency);
        return Detect(frequency.Band, frequency.LibraryValue);
    }

    /// <summary>
    /// Scans <paramref name="band"/> for stations off the caller's thread: one tuning and detection
    /// per step, as <c>k3ctl radio scan</c> does. Stations seen on neighbouring steps are one
    /// station, at their middle; FM stations have their stereo indicator read. A detection takes
    /// 140 to 300 ms on a real unit: a whole FM band in 100 kHz steps takes about 30 s.
    /// </summary>
    /// <param name="band">The band to scan.</param>
    /// <param name="options">Range and step; null for the band's defaults.</param>
    /// <param name="progress">Told before each step where the scan is.</param>
    /// <param name="cancellationToken">Stops the scan before its next step.</param>
    /// <returns>The stations found, from the lowest frequency up.</returns>
    /// <exception cref="ArgumentOutOfRangeException">The band, or a range or step of <paramref name="options"/>, is not one of the band's; thrown at once.</exception>
    /// <exception cref="K3Exception">The radio is not open, or closes during the scan (from the task).</exception>
    /// <exception cref="OperationCanceledException">The scan was cancelled (the task is cancelled).</exception>
    /// <exception cref="ObjectDisposedException">The unit is closed.</exception>
    public Task<IReadOnlyList<Station>> ScanAsync(Band band, ScanOptions? options = null,
        IProgress<ScanProgress>? progress = null, CancellationToken cancellationToken = default)
    {
        var plan = new ScanPlan(band, options);
        return Task.Run(() => new BandScan(this, plan, progress, cancellationToken).Run(), cancellationToken);
    }

    /// <summary>Tunes and detects under the unit's gate, the radio open; frequency in the library's unit.</summary>
    internal bool Detect(Band band, int frequency)
    {
        lock (unit.Gate)
        {
            RequireOpen("tcx_GetChannelDetectState");
            Tune(band, frequency);
            return Native.tcx_GetChannelDetectState((int)band) != 0;
        }
    }

    /// <summary>Tunes and reads the stereo indicator under the unit's gate, the radio open.</summary>
    internal bool TuneAndReadStereo(Band band, int frequency)
    {
        lock (unit.Gate)
        {
            RequireOpen("tcx_GetFMStereoState");
            Tune(band, frequency);
            return Native.tcx_GetFMStereoState() != 0;
        }
    }

    static void Tune(Band band, int frequency) =>
        Check(Native.tcx_SetChannelRadio((int)band, frequency), "tcx_SetChannelRadio", "the radio is not open");

    static void RequireValid(Frequency frequency)
    {
        if (!frequency.IsValid)
            throw new ArgumentOutOfRangeException(nameof(frequency), frequency, "Not a frequency of a band: make it with Frequency.Parse, FromMegahertz or FromKilohertz.");
    }

    void RequirePortIo(string function)
    {
        unit.ThrowIfDisposed();
        if (!unit.HasPortIo) throw new K3Exception(function, "port I/O is not available");
    }

    // tcx_GetChannelDetectState and tcx_GetFMStereoState give 0 also when the radio is not open:
    // asked first, so that a closed radio is not taken for "no station" or "mono".
    void RequireOpen(string function)
    {
        unit.ThrowIfDisposed();
        if (Native.tcx_IsOpenRadio() == 0) throw new K3Exception(function, "the radio is not open");
    }

    static void Check(byte result, string function, string reason)
    {
        if (result == 0) throw new K3Exception(function, reason);
    }
}
