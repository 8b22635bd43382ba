using System;

namespace TarvenK3;

/// <summary>
/// A call of TarvenK3Cmd.dll failed, or could not be made because the half of the unit it needs
/// is not open. The message names the function: "tcx_GetFwVersion failed: ...".
/// </summary>
public sealed class K3Exception : Exception
{
    /// <summary>Creates the exception with a default message.</summary>
    public K3Exception()
    {
    }

    /// <summary>Creates the exception with a message.</summary>
    /// <param name="message">What failed.</param>
    public K3Exception(string message)
        : base(message)
    {
    }

    /// <summary>Creates the exception with a message and the exception that caused it.</summary>
    /// <param name="message">What failed.</param>
    /// <param name="innerException">The cause.</param>
    public K3Exception(string message, Exception innerException)
        : base(message, innerException)
    {
    }

    internal K3Exception(string function, string reason, OpenStatus openStatus = OpenStatus.None)
        : base($"{function} failed: {reason}")
    {
        Function = function;
        OpenStatus = openStatus;
    }

    /// <summary>The library function that failed or was not called ("tcx_OpenRadio"), when known.</summary>
    public string? Function { get; }

    /// <summary>
    /// When opening the unit failed (<see cref="K3Unit.Open"/>): the halves tcx_OpenTARVEN could not
    /// open. <see cref="OpenStatus.None"/> for other failures.
    /// </summary>
    public OpenStatus OpenStatus { get; }
}
