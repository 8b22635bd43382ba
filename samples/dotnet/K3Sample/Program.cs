// The TARVEN K3 unit from C#: open it, read and set the monitor, find stations on the radio.
using System;
using System.Collections.Generic;
using System.Threading.Tasks;
using TarvenK3;

internal static class Program
{
    private static async Task<int> Main()
    {
        try
        {
            using K3Unit unit = K3Unit.Open();
            Console.WriteLine($"port I/O: {unit.HasPortIo}, monitor: {unit.HasMonitor}");

            if (unit.HasMonitor)
            {
                Console.WriteLine($"firmware {unit.Monitor.FirmwareVersion}");
                unit.Monitor.SetBrightness(day: 12, night: 4);
                Console.WriteLine($"backlight: day {unit.Monitor.DayBrightness}, night {unit.Monitor.NightBrightness}");
                unit.Monitor.TiltUp(steps: 2);
            }

            if (unit.HasPortIo)
            {
                unit.Radio.Open();
                Frequency wanted = Frequency.Parse("93.5MHz");
                bool found = unit.Radio.Detect(wanted);
                Console.WriteLine($"{wanted}: {(found ? "station" : "no station")}{(found && unit.Radio.IsStereo ? ", stereo" : "")}");

                var range = new ScanOptions { From = Frequency.FromMegahertz(93.0), To = Frequency.FromMegahertz(99.0) };
                IReadOnlyList<Station> stations = await unit.Radio.ScanAsync(Band.Fm, range);
                Console.WriteLine($"stations from {range.From} to {range.To}:");
                foreach (Station station in stations)
                {
                    Console.WriteLine($"  {station.Frequency}{(station.Stereo ? " stereo" : "")}");
                }

                unit.Radio.Close();
            }

            return 0;
        }
        catch (K3Exception e)
        {
            Console.Error.WriteLine($"TARVEN K3: {e.Message}");
            return 1;
        }
    }
}
