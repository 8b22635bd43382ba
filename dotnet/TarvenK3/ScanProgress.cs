namespace TarvenK3;

/// <summary>Where a band scan is: reported before each step of its range.</summary>
/// <param name="Step">The step about to be scanned, from 1 to <paramref name="StepCount"/>.</param>
/// <param name="StepCount">The steps in the scan's range.</param>
/// <param name="Frequency">The frequency of this step.</param>
/// <param name="StationsFound">The stations found so far.</param>
public readonly record struct ScanProgress(int Step, int StepCount, Frequency Frequency, int StationsFound);
