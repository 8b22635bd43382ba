using System;

namespace TarvenK3;

/// <summary>A band scan's range and step in kHz, checked against the band as k3ctl checks them.</summary>
internal sealed class ScanPlan
{
    public ScanPlan(Band band, ScanOptions? options)
    {
        Limits = BandLimits.Of(band);
        FromKhz = InBand(options?.From, Limits.ScanFromKhz, "From");
        ToKhz = InBand(options?.To, Limits.ScanToKhz, "To");
        StepKhz = options?.StepKilohertz ?? Limits.ScanStepKhz;
        var widest = Limits.HighestKhz - Limits.LowestKhz;
        if (StepKhz <= 0 || StepKhz % Limits.GridKhz != 0 || StepKhz > widest)
            throw new ArgumentOutOfRangeException(nameof(options), StepKhz,
                $"The step is a whole number of {Limits.Name}'s {Limits.GridKhz} kHz steps between {Limits.GridKhz} and {widest} kHz.");
        if (FromKhz > ToKhz) throw new ArgumentOutOfRangeException(nameof(options), "From lies above To.");
        StepCount = (ToKhz - FromKhz) / StepKhz + 1;
    }

    public BandLimits Limits { get; }
    public int FromKhz { get; }
    public int ToKhz { get; }
    public int StepKhz { get; }
    public int StepCount { get; }

    /// <summary>Below this many steps the scan sees one station on several steps in a row.</summary>
    public bool Merging => StepKhz < Limits.MergeBelowKhz;

    /// <summary>How many steps past the range a run of hits is followed: a run no wider than the merge width is one station.</summary>
    public int LookBeyond => (Limits.MergeBelowKhz - 1) / StepKhz;

    int InBand(Frequency? frequency, int defaultKhz, string name)
    {
        if (frequency is not { } f) return defaultKhz;
        if (!f.IsValid || f.Band != Limits.Band)
            throw new ArgumentOutOfRangeException(nameof(ScanOptions), f, $"{name} is not a frequency of {Limits.Name}: {Limits.Describe()}.");
        return f.Kilohertz;
    }
}
