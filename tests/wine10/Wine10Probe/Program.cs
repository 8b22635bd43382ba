using System;
using System.Diagnostics;
using System.Runtime.CompilerServices;
using System.Runtime.InteropServices;

/// <summary>
/// Prints the architecture the process runs as and calls a stdcall function of native_add.dll by its decorated
/// export name, once through a classic <c>DllImport</c> and once through a source-generated
/// <c>LibraryImport</c>, as a customer's program binds TarvenK3Cmd.dll. Exits 1 when the architecture is not
/// the one named by the first argument (X64 or X86) or a call returns a wrong sum. A second argument names a
/// 32-bit build of this program to start and wait for, as the 64-bit bridge starts its 32-bit host; then the
/// child must succeed too.
/// </summary>
internal static partial class Program
{
    private const string Library = "native_add.dll";
    private const string DecoratedAdd = "_native_add@8";

    [DllImport(Library, EntryPoint = DecoratedAdd, ExactSpelling = true, CallingConvention = CallingConvention.StdCall)]
    private static extern int AddDllImport(int a, int b);

    [LibraryImport(Library, EntryPoint = DecoratedAdd)]
    [UnmanagedCallConv(CallConvs = new[] { typeof(CallConvStdcall) })]
    private static partial int AddLibraryImport(int a, int b);

    private static int Main(string[] args)
    {
        string expected = args.Length > 0 ? args[0] : "";
        Architecture architecture = RuntimeInformation.ProcessArchitecture;
        Console.WriteLine($"ProcessArchitecture={architecture}");
        Console.WriteLine($"Is64BitProcess={Environment.Is64BitProcess}");
        Console.WriteLine($"OSDescription={RuntimeInformation.OSDescription}");

        bool ok = architecture.ToString().Equals(expected, StringComparison.OrdinalIgnoreCase)
            && Environment.Is64BitProcess == (architecture == Architecture.X64);
        ok &= Check("DllImport", AddDllImport);
        ok &= Check("LibraryImport", AddLibraryImport);
        if (args.Length > 1)
        {
            ok &= RunChild(args[1]);
        }
        Console.WriteLine(ok ? "wine10 probe: ok" : $"wine10 probe: FAILED (expected architecture {expected})");
        return ok ? 0 : 1;
    }

    /// <summary>Starts <paramref name="program"/> expecting X86, prints its first line and exit code.</summary>
    private static bool RunChild(string program)
    {
        var start = new ProcessStartInfo(program, "X86") { RedirectStandardOutput = true, UseShellExecute = false };
        using Process child = Process.Start(start)!;
        string output = child.StandardOutput.ReadToEnd();
        child.WaitForExit();
        Console.WriteLine($"child: {output.Split('\n')[0].Trim()}, exit {child.ExitCode}");
        return child.ExitCode == 0;
    }

    /// <summary>Sums through <paramref name="add"/> many times, so that a call that leaves the stack
    /// unbalanced shows up as a crash or a wrong total, and prints one call's result.</summary>
    private static bool Check(string binding, Func<int, int, int> add)
    {
        long total = 0;
        for (int i = 0; i < 10_000; i++)
        {
            total += add(i, 1);
        }
        int sum = add(2, 3);
        Console.WriteLine($"{binding} {DecoratedAdd}(2,3)={sum}");
        return sum == 5 && total == 10_000L * 10_001 / 2;
    }
}
