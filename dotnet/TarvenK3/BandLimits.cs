using System;

namespace TarvenK3;

/// <summary>
/// A band's frequencies as k3ctl knows them: its range and grid, the library's unit, and the band
/// scan's default range and step. One station is detected over a few neighbouring frequencies:
/// a scan with steps finer than <see cref="MergeBelowKhz"/> sees it on several steps in a row.
/// </summary>
internal sealed class BandLimits
{
    public static readonly BandLimits Fm = new(Band.Fm, "FM", 76000, 108000, 10, 87500, 108000, 100, 50);
    public static readonly BandLimits Am = new(Band.Am, "AM", 520, 1710, 1, 531, 1602, 9, 5);

    BandLimits(Band band, string name, int lowestKhz, int highestKhz, int gridKhz,
               int scanFromKhz, int scanToKhz, int scanStepKhz, int mergeBelowKhz)
    {
        Band = band;
        Name = name;
        LowestKhz = lowestKhz;
        HighestKhz = highestKhz;
        GridKhz = gridKhz;
        ScanFromKhz = scanFromKhz;
        ScanToKhz = scanToKhz;
        ScanStepKhz = scanStepKhz;
        MergeBelowKhz = mergeBelowKhz;
    }

    public Band Band { get; }
    public string Name { get; }
    public int LowestKhz { get; }
    public int HighestKhz { get; }

    /// <summary>Every frequency of the band lies on this grid; it is also the library's unit.</summary>
    public int GridKhz { get; }

    public int ScanFromKhz { get; }
    public int ScanToKhz { get; }
    public int ScanStepKhz { get; }
    public int MergeBelowKhz { get; }

    public static BandLimits Of(Band band) => band switch
    {
        Band.Fm => Fm,
        Band.Am => Am,
        _ => throw new ArgumentOutOfRangeException(nameof(band), band, "The band is Band.Fm or Band.Am."),
    };

    public bool Holds(long hz) => hz >= LowestKhz * 1000L && hz <= HighestKhz * 1000L;

    public bool OnGrid(long hz) => Holds(hz) && hz % (GridKhz * 1000L) == 0;

    /// <summary>"FM runs from 76.00 MHz to 108.00 MHz in steps of 10 kHz", as k3ctl says it.</summary>
    public string Describe() =>
        $"{Name} runs from {Frequency.Format(Band, LowestKhz)} to {Frequency.Format(Band, HighestKhz)} in steps of {GridKhz} kHz";
}
