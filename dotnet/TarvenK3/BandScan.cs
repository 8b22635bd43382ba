using System;
using System.Collections.Generic;
using System.Threading;

namespace TarvenK3;

/// <summary>
/// The band scan, as k3ctl's (Source/k3ctl/BandScan.cpp): one tuning and one detection per step
/// from the plan's first frequency to its last. With steps finer than the band's merge width one
/// station hits on several neighbouring steps, and such a run of hits is one station, at its
/// middle step (the lower middle for an even count); a run that the range cuts off is followed a
/// few steps past the range's ends so that its middle is right. With coarser steps every hit is a
/// station. FM stations have their stereo indicator read after tuning back. Cancellation is
/// honoured before every step.
/// </summary>
internal sealed class BandScan
{
    readonly K3Radio radio;
    readonly ScanPlan plan;
    readonly IProgress<ScanProgress>? progress;
    readonly CancellationToken cancellationToken;
    readonly List<Station> stations = new();

    // The current run of consecutive hits: its first frequency and how many.
    int runFirstKhz, runLength;

    public BandScan(K3Radio radio, ScanPlan plan, IProgress<ScanProgress>? progress, CancellationToken cancellationToken)
    {
        this.radio = radio;
        this.plan = plan;
        this.progress = progress;
        this.cancellationToken = cancellationToken;
    }

    Band Band => plan.Limits.Band;

    public IReadOnlyList<Station> Run()
    {
        for (int step = 0; step < plan.StepCount; ++step)
        {
            int khz = plan.FromKhz + step * plan.StepKhz;
            cancellationToken.ThrowIfCancellationRequested();
            progress?.Report(new ScanProgress(step + 1, plan.StepCount, Frequency.FromKhz(Band, khz), stations.Count));
            bool hit = Detect(khz);
            if (!plan.Merging)
            {
                if (hit) AddStation(khz);
            }
            else if (hit && runLength == 0)
            {
                (runFirstKhz, runLength) = (khz, 1);
                if (step == 0) FollowBelow();
            }
            else if (hit)
            {
                ++runLength;
            }
            else if (runLength > 0)
            {
                EndRun();
            }
        }
        if (runLength > 0)
        {
            FollowAbove();
            EndRun();
        }
        return stations;
    }

    bool Detect(int khz)
    {
        cancellationToken.ThrowIfCancellationRequested();
        return radio.Detect(Band, khz / plan.Limits.GridKhz);
    }

    void AddStation(int khz)
    {
        bool stereo = Band == Band.Fm && radio.TuneAndReadStereo(Band, khz / plan.Limits.GridKhz);
        stations.Add(new Station(Frequency.FromKhz(Band, khz), stereo));
    }

    // A run is one station, at its middle step; the lower middle for an even count.
    void EndRun()
    {
        AddStation(runFirstKhz + (runLength - 1) / 2 * plan.StepKhz);
        runLength = 0;
    }

    // A run that starts on the range's first step may have begun below it.
    void FollowBelow()
    {
        for (int k = 1; k <= plan.LookBeyond; ++k)
        {
            int khz = plan.FromKhz - k * plan.StepKhz;
            if (!Detect(khz)) return;
            runFirstKhz = khz;
            ++runLength;
        }
    }

    // A run still going at the range's last step may go on above it.
    void FollowAbove()
    {
        int lastKhz = runFirstKhz + (runLength - 1) * plan.StepKhz;
        for (int k = 1; k <= plan.LookBeyond; ++k)
        {
            if (!Detect(lastKhz + k * plan.StepKhz)) return;
            ++runLength;
        }
    }
}
