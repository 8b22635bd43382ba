using System.Globalization;
using Xunit;

namespace TarvenK3.Tests;

public class FrequencyTests
{
    [Theory]
    [InlineData("93.5M", Band.Fm, 93500, "93.50 MHz")]
    [InlineData("93.50MHz", Band.Fm, 93500, "93.50 MHz")]
    [InlineData("93.5mhz", Band.Fm, 93500, "93.50 MHz")]
    [InlineData("93500k", Band.Fm, 93500, "93.50 MHz")]
    [InlineData("76M", Band.Fm, 76000, "76.00 MHz")]
    [InlineData("108.000000MHz", Band.Fm, 108000, "108.00 MHz")]
    [InlineData("810k", Band.Am, 810, "810 kHz")]
    [InlineData("810KHZ", Band.Am, 810, "810 kHz")]
    [InlineData("0.81M", Band.Am, 810, "810 kHz")]
    [InlineData("520kHz", Band.Am, 520, "520 kHz")]
    [InlineData("1710k", Band.Am, 1710, "1710 kHz")]
    public void ParseReadsK3ctlsForms(string text, Band band, int kilohertz, string printed)
    {
        var frequency = Frequency.Parse(text);
        Assert.Equal((band, kilohertz, printed), (frequency.Band, frequency.Kilohertz, frequency.ToString()));
    }

    [Theory]
    [InlineData("93.5", "bad frequency")]
    [InlineData("93.5 MHz", "bad frequency")]
    [InlineData("-93.5M", "bad frequency")]
    [InlineData(".5M", "bad frequency")]
    [InlineData("93.M", "bad frequency")]
    [InlineData("93.5Hz", "bad frequency")]
    [InlineData("93.5000001M", "bad frequency")]
    [InlineData("810.5k", "is not a valid AM frequency")]
    [InlineData("", "bad frequency")]
    [InlineData("93.505M", "is not a valid FM frequency: FM runs from 76.00 MHz to 108.00 MHz in steps of 10 kHz")]
    [InlineData("75.99M", "is in neither band")]
    [InlineData("108.01M", "is in neither band")]
    [InlineData("1711k", "is in neither band")]
    [InlineData("519k", "is in neither band: FM runs from 76.00 MHz to 108.00 MHz in steps of 10 kHz; AM runs from 520 kHz to 1710 kHz in steps of 1 kHz")]
    public void ParseRefusesWhatK3ctlRefuses(string text, string message)
    {
        Assert.Contains(message, Assert.Throws<FormatException>(() => Frequency.Parse(text)).Message);
        Assert.False(Frequency.TryParse(text, out var frequency));
        Assert.Equal(default, frequency);
    }

    [Fact]
    public void FrequenciesAreValuesPrintedTheSameInEveryCulture()
    {
        Assert.Equal(Frequency.Parse("98.9MHz"), Frequency.FromMegahertz(98.9));
        Assert.Equal(Frequency.Parse("0.81M"), Frequency.FromKilohertz(810));
        Assert.NotEqual(Frequency.FromMegahertz(98.9), Frequency.FromMegahertz(98.8));
        foreach (var megahertz in new[] { 75.99, 93.505, 0.5199, double.NaN, double.PositiveInfinity })
            Assert.Throws<ArgumentOutOfRangeException>(() => Frequency.FromMegahertz(megahertz));
        Assert.Throws<ArgumentOutOfRangeException>(() => Frequency.FromKilohertz(1711));
        var culture = Thread.CurrentThread.CurrentCulture;
        Thread.CurrentThread.CurrentCulture = CultureInfo.GetCultureInfo("de-DE");
        try { Assert.Equal("98.90 MHz", Frequency.FromMegahertz(98.9).ToString()); }
        finally { Thread.CurrentThread.CurrentCulture = culture; }
    }
}
