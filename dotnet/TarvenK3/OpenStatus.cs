using System;

namespace TarvenK3;

/// <summary>The halves of the unit that tcx_OpenTARVEN could not open: its result bits.</summary>
[Flags]
public enum OpenStatus
{
    /// <summary>Both halves opened.</summary>
    None = 0,

    /// <summary>The PC's port I/O (IO.dll) could not be initialised: the radio is unavailable.</summary>
    PortIoUnavailable = Native.TCX_OPEN_PORT_IO_UNAVAILABLE,

    /// <summary>The monitor unit is not there or not recognised: the monitor functions are unavailable.</summary>
    UnitUnavailable = Native.TCX_OPEN_UNIT_UNAVAILABLE,
}
