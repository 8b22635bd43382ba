using System;
using System.Diagnostics.CodeAnalysis;
using System.Globalization;

namespace TarvenK3;

/// <summary>
/// A frequency of the radio tuner: FM 76.00 to 108.00 MHz on a 10 kHz grid, or AM 520 to 1710 kHz
/// on a 1 kHz grid. The band follows from the value. Kept in the library's units: FM in 10 kHz,
/// AM in kHz. Two frequencies are equal when their band and value are.
/// </summary>
public readonly record struct Frequency
{
    readonly Band band;
    readonly int units;

    Frequency(Band band, int units)
    {
        this.band = band;
        this.units = units;
    }

    /// <summary>The band the frequency lies in.</summary>
    public Band Band => band;

    /// <summary>The frequency in kHz: 93500 for FM 93.50 MHz, 810 for AM 810 kHz.</summary>
    public int Kilohertz => units * BandLimits.Of(band).GridKhz;

    /// <summary>The library's frequency argument: FM in 10 kHz units (9350), AM in kHz (810).</summary>
    internal int LibraryValue => units;

    /// <summary>Whether the value lies in its band and on its grid (not so for <c>default</c>).</summary>
    internal bool IsValid => BandLimits.Of(band).OnGrid(Kilohertz * 1000L);

    /// <summary>The frequency of <paramref name="megahertz"/> MHz: <c>FromMegahertz(93.5)</c> is FM 93.50 MHz.</summary>
    /// <param name="megahertz">The value in MHz, in a band and on its grid.</param>
    /// <returns>The frequency, in the band its value lies in.</returns>
    /// <exception cref="ArgumentOutOfRangeException">The value lies in neither band or off its band's grid.</exception>
    public static Frequency FromMegahertz(double megahertz)
    {
        var text = megahertz.ToString(CultureInfo.InvariantCulture) + " MHz";
        if (double.IsNaN(megahertz) || Math.Abs(megahertz) > 1_000_000)
            throw new ArgumentOutOfRangeException(nameof(megahertz), megahertz, NeitherBand(text));
        return FromHertz((long)Math.Round(megahertz * 1_000_000), text, nameof(megahertz));
    }

    /// <summary>The frequency of <paramref name="kilohertz"/> kHz: <c>FromKilohertz(810)</c> is AM 810 kHz.</summary>
    /// <param name="kilohertz">The value in kHz, in a band and on its grid.</param>
    /// <returns>The frequency, in the band its value lies in.</returns>
    /// <exception cref="ArgumentOutOfRangeException">The value lies in neither band or off its band's grid.</exception>
    public static Frequency FromKilohertz(int kilohertz) =>
        FromHertz(kilohertz * 1000L, kilohertz.ToString(CultureInfo.InvariantCulture) + " kHz", nameof(kilohertz));

    /// <summary>
    /// Reads a frequency as k3ctl does: digits with an optional fraction and a unit, <c>M</c>,
    /// <c>MHz</c>, <c>k</c> or <c>kHz</c> in any case ("93.5M", "93.50MHz", "810k", "810kHz").
    /// </summary>
    /// <param name="text">The frequency with its unit.</param>
    /// <returns>The frequency, in the band its value lies in.</returns>
    /// <exception cref="ArgumentNullException"><paramref name="text"/> is null.</exception>
    /// <exception cref="FormatException">The text does not read so, or its value lies in neither band or off its band's grid; the message says which.</exception>
    public static Frequency Parse(string text)
    {
        if (text is null) throw new ArgumentNullException(nameof(text));
        if (!TryParse(text, out var frequency, out var error)) throw new FormatException(error);
        return frequency;
    }

    /// <summary>Reads a frequency as <see cref="Parse(string)"/> does, without throwing.</summary>
    /// <param name="text">The frequency with its unit.</param>
    /// <param name="frequency">The frequency read, or <c>default</c>.</param>
    /// <returns>Whether the text is a frequency of one of the bands.</returns>
    public static bool TryParse([NotNullWhen(true)] string? text, out Frequency frequency) =>
        TryParse(text, out frequency, out _);

    /// <summary>The frequency as k3ctl prints it: "93.50 MHz" on FM, "810 kHz" on AM.</summary>
    /// <returns>The frequency with its unit, the same in every culture.</returns>
    public override string ToString() => Format(band, Kilohertz);

    internal static Frequency FromKhz(Band band, int khz) => new(band, khz / BandLimits.Of(band).GridKhz);

    internal static string Format(Band band, int khz) => band == Band.Fm
        ? FormattableString.Invariant($"{khz / 1000}.{khz % 1000 / 10:D2} MHz")
        : FormattableString.Invariant($"{khz} kHz");

    static Frequency FromHertz(long hz, string text, string parameter) =>
        Classify(hz, text, out var frequency) is { } error
            ? throw new ArgumentOutOfRangeException(parameter, error)
            : frequency;

    static bool TryParse(string? text, out Frequency frequency, out string error)
    {
        frequency = default;
        if (text is null || !TryReadHertz(text, out var hz))
        {
            error = $"bad frequency '{text}': write it as 93.5M, 93.50MHz, 810k or 810kHz";
            return false;
        }
        error = Classify(hz, text, out frequency) ?? "";
        return error.Length == 0;
    }

    /// <summary>The band of <paramref name="hz"/>: null when it lies on that band's grid, otherwise why not.</summary>
    static string? Classify(long hz, string text, out Frequency frequency)
    {
        frequency = default;
        foreach (var limits in new[] { BandLimits.Fm, BandLimits.Am })
        {
            if (!limits.Holds(hz)) continue;
            if (!limits.OnGrid(hz)) return $"{text} is not a valid {limits.Name} frequency: {limits.Describe()}";
            frequency = FromKhz(limits.Band, (int)(hz / 1000));
            return null;
        }
        return NeitherBand(text);
    }

    static string NeitherBand(string text) =>
        $"{text} is in neither band: {BandLimits.Fm.Describe()}; {BandLimits.Am.Describe()}";

    static readonly (string Suffix, long Hz)[] Units = { ("M", 1_000_000), ("MHz", 1_000_000), ("k", 1000), ("kHz", 1000) };

    /// <summary>Digits with an optional fraction, then a unit; false when the text does not read so or is finer than 1 Hz.</summary>
    static bool TryReadHertz(string text, out long hz)
    {
        hz = 0;
        int p = 0;
        if (p == text.Length || !IsDigit(text[p])) return false;
        long whole = 0;
        for (; p < text.Length && IsDigit(text[p]); ++p)
        {
            whole = whole * 10 + (text[p] - '0');
            if (whole > 1_000_000) return false;
        }
        long fraction = 0, scale = 1;
        bool fine = false;  // a non-zero digit below the unit's 1 Hz
        if (p < text.Length && text[p] == '.')
        {
            int digits = 0;
            for (++p; p < text.Length && IsDigit(text[p]); ++p, ++digits)
            {
                if (digits < 6)
                {
                    fraction = fraction * 10 + (text[p] - '0');
                    scale *= 10;
                }
                else if (text[p] != '0')
                {
                    fine = true;
                }
            }
            if (digits == 0) return false;
        }
        var suffix = text.Substring(p);
        long unit = 0;
        foreach (var (name, unitHz) in Units)
            if (string.Equals(suffix, name, StringComparison.OrdinalIgnoreCase)) unit = unitHz;
        if (unit == 0 || fine || fraction * unit % scale != 0) return false;
        hz = whole * unit + fraction * unit / scale;
        return true;
    }

    static bool IsDigit(char c) => c >= '0' && c <= '9';
}
