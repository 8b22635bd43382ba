using Xunit;

namespace TarvenK3.Tests;

public class RadioTests : SimulatedPc
{
    K3Radio OpenRadio(params string[] settings)
    {
        var radio = Open(settings).Radio;
        radio.Open();
        return radio;
    }

    [Fact]
    public void OpenAndCloseSwitchTheRadio()
    {
        var radio = Open().Radio;
        var states = new List<bool> { radio.IsOpen };
        radio.Open();
        states.Add(radio.IsOpen);
        radio.Close();
        Assert.Equal(new[] { false, true, false }, states.Append(radio.IsOpen));
    }

    // Default stations: FM 93.50 MHz stereo, FM 98.90 MHz mono, AM 810 kHz.
    [Theory]
    [InlineData("", "93.5M", true, true)]
    [InlineData("", "98.9M", true, false)]
    [InlineData("", "100M", false, false)]
    [InlineData("", "810k", true, false)]
    [InlineData("", "999k", false, false)]
    [InlineData("TUNER=absent-low", "93.5M", false, true)] // no tuner: the data line idles low, read as stereo
    public void DetectAndStereoTellWhatIsOnTheAir(string setting, string frequency, bool station, bool stereo)
    {
        var radio = OpenRadio(setting == "" ? [] : [setting]);
        Assert.Equal(station, radio.Detect(Frequency.Parse(frequency)));
        radio.Tune(Frequency.Parse(frequency));
        Assert.Equal(stereo, radio.IsStereo);
    }

    public static TheoryData<string, string, Action<K3Radio>> Failures => new()
    {
        { "PORT_ACCESS=denied", "tcx_OpenRadio", r => r.Open() },
        { "PORT_ACCESS=denied", "tcx_CloseRadio", r => r.Close() },
        { "PORT_ACCESS=granted", "tcx_SetChannelRadio", r => r.Tune(Frequency.FromKilohertz(810)) },
        { "PORT_ACCESS=granted", "tcx_GetChannelDetectState", r => r.Detect(Frequency.FromKilohertz(810)) },
        { "PORT_ACCESS=granted", "tcx_GetFMStereoState", r => _ = r.IsStereo },
        { "PORT_ACCESS=granted", "tcx_GetChannelDetectState", r => r.ScanAsync(Band.Am).GetAwaiter().GetResult() },
    };

    [Theory]
    [MemberData(nameof(Failures))]
    public void ACallWithoutPortIoOrWithTheRadioClosedThrowsNamingTheFunction(string setting, string function, Action<K3Radio> call) =>
        Assert.StartsWith(function + " failed: ", Assert.Throws<K3Exception>(() => call(Open(setting).Radio)).Message);

    [Fact]
    public void TuningDefaultFrequencyThrowsBeforeTheRadioIsTouched()
    {
        var radio = OpenRadio();
        TarvenSim_ClearTrace();
        Assert.Throws<ArgumentOutOfRangeException>(() => radio.Tune(default));
        Assert.Equal(0, TarvenSim_TraceLength());
    }

    [Theory]
    [InlineData("TUNER=present", Band.Fm, null, null, null, "93.50 MHz stereo", "98.90 MHz")]
    [InlineData("TUNER=present", Band.Am, null, null, null, "810 kHz")]
    [InlineData("TUNER=present", Band.Fm, "93M", "94M", 10, "93.50 MHz stereo")]   // one station on four steps: its middle
    [InlineData("TUNER=present", Band.Fm, "93.5M", "94M", 10, "93.50 MHz stereo")] // the range cuts the run below
    [InlineData("TUNER=present", Band.Fm, "93M", "93.5M", 10, "93.50 MHz stereo")] // and above
    [InlineData("TUNER=present", Band.Am, "800k", "820k", 1, "810 kHz")]
    [InlineData("STATIONS=FM:9350,FM:9355", Band.Fm, "93.5M", "93.55M", 50, "93.50 MHz", "93.55 MHz")] // coarse: every hit
    [InlineData("STATIONS=AM:700,AM:1602", Band.Am, "531k", "1602k", 9, "1602 kHz")]
    public async Task AScanFindsEachStationOnce(string setting, Band band, string? from, string? to, int? step, params string[] stations)
    {
        var options = new ScanOptions { From = from is null ? null : Frequency.Parse(from), To = to is null ? null : Frequency.Parse(to), StepKilohertz = step };
        var found = await OpenRadio(setting).ScanAsync(band, options);
        Assert.Equal(stations, found.Select(s => s.Frequency + (s.Stereo ? " stereo" : "")));
    }

    sealed class Steps(Action<ScanProgress> report) : IProgress<ScanProgress>
    {
        public void Report(ScanProgress value) => report(value);
    }

    [Fact]
    public async Task AScanReportsEveryStepAndStopsWhenCancelled()
    {
        var radio = OpenRadio();
        var seen = new List<ScanProgress>();
        await radio.ScanAsync(Band.Fm, new ScanOptions { From = Frequency.Parse("98.8M"), To = Frequency.Parse("99.1M") }, new Steps(seen.Add));
        Assert.Equal(new[] { "98.80 MHz", "98.90 MHz", "99.00 MHz", "99.10 MHz" }, seen.Select(p => p.Frequency.ToString()));
        Assert.Equal(new[] { (1, 4, 0), (2, 4, 0), (3, 4, 1), (4, 4, 1) }, seen.Select(p => (p.Step, p.StepCount, p.StationsFound)));

        using var cancel = new CancellationTokenSource();
        seen.Clear();
        var scan = radio.ScanAsync(Band.Fm, null, new Steps(p => { seen.Add(p); if (p.Step == 3) cancel.Cancel(); }), cancel.Token);
        await Assert.ThrowsAnyAsync<OperationCanceledException>(() => scan);
        Assert.Equal((true, 3), (scan.IsCanceled, seen.Count));
    }

    public static TheoryData<Band, ScanOptions> BadOptions => new()
    {
        { Band.Fm, new ScanOptions { From = Frequency.FromKilohertz(810) } },
        { Band.Fm, new ScanOptions { StepKilohertz = 15 } },
        { Band.Am, new ScanOptions { StepKilohertz = 0 } },
        { Band.Am, new ScanOptions { StepKilohertz = 1191 } },
        { Band.Fm, new ScanOptions { From = Frequency.Parse("100M"), To = Frequency.Parse("99M") } },
        { (Band)2, new ScanOptions() },
    };

    [Theory]
    [MemberData(nameof(BadOptions))]
    public void AScanOutsideItsBandThrowsAtOnce(Band band, ScanOptions options) =>
        Assert.Throws<ArgumentOutOfRangeException>(() => { _ = OpenRadio().ScanAsync(band, options); });
}
