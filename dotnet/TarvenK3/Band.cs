namespace TarvenK3;

/// <summary>The radio tuner's two bands.</summary>
public enum Band
{
    /// <summary>FM, 76.00 to 108.00 MHz on a 10 kHz grid.</summary>
    Fm = Native.TCX_BAND_FM,

    /// <summary>AM, 520 to 1710 kHz on a 1 kHz grid.</summary>
    Am = Native.TCX_BAND_AM,
}
