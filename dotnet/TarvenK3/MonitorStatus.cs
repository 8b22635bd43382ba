namespace TarvenK3;

/// <summary>
/// The three status bits the monitor unit reports (tcx_GetDevStatus), named by where the unit
/// keeps them: bits of its 32-bit status word and of its flag byte.
/// </summary>
/// <param name="StatusWordBit12">Bit 12 of the unit's status word (the first status byte).</param>
/// <param name="FlagBit1">Bit 1 of the unit's flag byte (the second status byte).</param>
/// <param name="StatusWordBit8">Bit 8 of the unit's status word (the third status byte).</param>
public readonly record struct MonitorStatus(bool StatusWordBit12, bool FlagBit1, bool StatusWordBit8);
