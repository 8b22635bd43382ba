namespace TarvenK3;

/// <summary>A station a band scan found.</summary>
/// <param name="Frequency">Where it was found: the middle of the steps that detected it.</param>
/// <param name="Stereo">Whether the tuner's stereo indicator was on there; always false on AM.</param>
public readonly record struct Station(Frequency Frequency, bool Stereo);
