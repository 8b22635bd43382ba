using Xunit;

namespace TarvenK3.Tests;

public class MonitorTests : SimulatedPc
{
    [Theory]
    [InlineData("FIRMWARE=2.7.9", "2.7.9")]
    [InlineData("FIRMWARE=0.0.15", "0.0.15")]
    public void FirmwareVersionIsTheUnitsThreeNumbers(string setting, string version) =>
        Assert.Equal(Version.Parse(version), Open(setting).Monitor.FirmwareVersion);

    [Theory]
    [InlineData("STATUS=0x1100,0x02", true, true, true)]
    [InlineData("STATUS=0x1000,0x00", true, false, false)]
    [InlineData("STATUS=0xFFFFEEFF,0xFD", false, false, false)]
    [InlineData("STATUS=0x0100,0x02", false, true, true)]
    public void StatusHoldsTheUnitsThreeBits(string setting, bool bit12, bool flag1, bool bit8) =>
        Assert.Equal(new MonitorStatus(bit12, flag1, bit8), Open(setting).Monitor.Status);

    [Theory]
    [InlineData("BRIGHTNESS=9,3", 9, 3)]
    [InlineData("BRIGHTNESS=15,0", 15, 0)]
    public void BrightnessReadsTheDayAndNightLevels(string setting, int day, int night)
    {
        var monitor = Open(setting).Monitor;
        Assert.Equal((day, night), (monitor.DayBrightness, monitor.NightBrightness));
    }

    [Fact]
    public void TiltAndBrightnessReachTheUnit()
    {
        var monitor = Open("TILT=5").Monitor;
        monitor.TiltUp(3);
        monitor.TiltDown();
        monitor.SetBrightness(4, 11);
        TarvenSim_GetMonitor(out var tilt, out var day, out var night);
        Assert.Equal((7, 4, 11), (tilt, day, night));
        Assert.Equal((4, 11), (monitor.DayBrightness, monitor.NightBrightness));
    }

    public static TheoryData<string, string, Action<K3Monitor>> Failures => new()
    {
        { "UNIT=absent", "tcx_GetFwVersion", m => _ = m.FirmwareVersion },
        { "UNIT=absent", "tcx_GetDevStatus", m => _ = m.Status },
        { "UNIT=absent", "tcx_GetMonitorBrightness", m => _ = m.DayBrightness },
        { "UNIT=absent", "tcx_TiltUp", m => m.TiltUp() },
        { "UNIT=absent", "tcx_TiltDown", m => m.TiltDown() },
        { "UNIT=absent", "tcx_SetMonitorBrightness", m => m.SetBrightness(1, 1) },
        { "DEVINFO=fails", "tcx_GetFwVersion", m => _ = m.FirmwareVersion },
        { "DEVSTATUS=fails", "tcx_GetDevStatus", m => _ = m.Status },
        { "DEVSTATUS=fails", "tcx_GetMonitorBrightness", m => _ = m.NightBrightness },
    };

    [Theory]
    [MemberData(nameof(Failures))]
    public void AFailedOrImpossibleCallThrowsNamingTheFunction(string setting, string function, Action<K3Monitor> call)
    {
        var error = Assert.Throws<K3Exception>(() => call(Open(setting).Monitor));
        Assert.StartsWith(function + " failed: ", error.Message);
        Assert.Equal(function, error.Function);
    }

    public static TheoryData<Action<K3Monitor>> OutOfRange => new()
    {
        m => m.TiltUp(0), m => m.TiltUp(4), m => m.TiltDown(-1), m => m.SetBrightness(16, 0), m => m.SetBrightness(0, -1),
    };

    [Theory]
    [MemberData(nameof(OutOfRange))]
    public void AnArgumentOutOfRangeThrowsBeforeTheUnitIsTouched(Action<K3Monitor> call)
    {
        var monitor = Open().Monitor;
        TarvenSim_ClearTrace();
        Assert.Throws<ArgumentOutOfRangeException>(() => call(monitor));
        Assert.Equal(0, TarvenSim_TraceLength());
    }
}
