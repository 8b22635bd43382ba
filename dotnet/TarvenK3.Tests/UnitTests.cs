using Xunit;

namespace TarvenK3.Tests;

public class UnitTests : SimulatedPc
{
    [Theory]
    [InlineData("PORT_ACCESS=granted", true, true)]
    [InlineData("PORT_ACCESS=denied", false, true)]
    [InlineData("UNIT=absent", true, false)]
    [InlineData("MODEL=QX7Z", true, false)]
    public void OpenSaysWhichHalvesOpened(string setting, bool portIo, bool monitor)
    {
        var unit = Open(setting);
        Assert.Equal((portIo, monitor), (unit.HasPortIo, unit.HasMonitor));
    }

    [Fact]
    public void OpeningNeitherHalfThrowsWithTheResultBitsAndLeavesNothingOpen()
    {
        Reset("PORT_ACCESS=denied", "UNIT=absent");
        var error = Assert.Throws<K3Exception>(K3Unit.Open);
        Assert.Equal((OpenStatus.PortIoUnavailable | OpenStatus.UnitUnavailable, "tcx_OpenTARVEN"), (error.OpenStatus, error.Function));
        Assert.Equal((0, 0), (TarvenSim_PortIoInitialized(), TarvenSim_OpenDeviceHandles()));
        Reset();
        K3Unit.Open().Dispose();
    }

    [Fact]
    public void DisposeClosesTheUnitOnceAndAUnitOpensAgainAfterIt()
    {
        var unit = Open();
        Assert.Throws<InvalidOperationException>(K3Unit.Open);
        unit.Dispose();
        unit.Dispose();
        Assert.Equal((0, 0, 0), (Native.tcx_IsOpenTARVEN(), TarvenSim_PortIoInitialized(), TarvenSim_OpenDeviceHandles()));
        Assert.Throws<ObjectDisposedException>(() => unit.Monitor.FirmwareVersion);
        Assert.Throws<ObjectDisposedException>(unit.Radio.Open);
        using var again = K3Unit.Open();
        Assert.Equal(new Version(1, 4, 2), again.Monitor.FirmwareVersion);
    }

    // Each thread's tuning stays with its detection, and the monitor answers between them.
    [Fact]
    public async Task TwoThreadsAtOnceEachGetTheirOwnAnswers()
    {
        var unit = Open();
        unit.Radio.Open();
        bool[] Listen(string frequency) => Enumerable.Range(0, 40)
            .Select(_ => unit.Radio.Detect(Frequency.Parse(frequency)) && unit.Monitor.DayBrightness == 9).ToArray();
        var station = Task.Run(() => Listen("93.5M"));
        var silence = Task.Run(() => Listen("100M"));
        Assert.All(await station, Assert.True);
        Assert.All(await silence, Assert.False);
    }
}
