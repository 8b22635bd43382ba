namespace TarvenK3;

/// <summary>
/// The range and step of a band scan. What is left unset is the band's default, as k3ctl scans:
/// FM 87.50 to 108.00 MHz in 100 kHz steps, AM 531 to 1602 kHz in 9 kHz steps.
/// </summary>
public sealed class ScanOptions
{
    /// <summary>The first frequency scanned, in the scanned band; null for the band's default.</summary>
    public Frequency? From { get; set; }

    /// <summary>The last frequency scanned at most, in the scanned band; null for the band's default.</summary>
    public Frequency? To { get; set; }

    /// <summary>
    /// The step in kHz, a whole number of the band's grid (FM 10 kHz, AM 1 kHz) no wider than the
    /// band; null for the band's default. With steps finer than 50 kHz on FM or 5 kHz on AM one
    /// station is detected on several neighbouring steps; the scan reports it once, at their middle.
    /// </summary>
    public int? StepKilohertz { get; set; }
}
