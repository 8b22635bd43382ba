#if NETSTANDARD2_0
using System;
using System.IO;
using System.Runtime.InteropServices;
#endif

namespace TarvenK3;

/// <summary>
/// Where a .NET Framework program finds the native library. Such a program (AnyCPU, run as a
/// 32-bit or a 64-bit process) takes no native files from the package's runtimes folder:
/// buildTransitive/TarvenK3.targets copies win-x86's to x86\ and win-x64's to x64\ under its
/// output folder instead, and before the first call the library for this process's bitness is
/// loaded from there by its full path, so that the import of "TarvenK3Cmd" finds it loaded.
/// Its own folder is searched first for the files it needs (IO.dll, TarVenCOM.dll; the 64-bit
/// bridge's x86 folder). Elsewhere (.NET 8, where the runtime resolves the RID's files; a program
/// with the library in its own folder; Linux) nothing is loaded here.
/// </summary>
internal static class NativeLibraryFolders
{
#if NETSTANDARD2_0
    const uint LoadWithAlteredSearchPath = 0x8;
    static readonly object Gate = new();
    static bool done;
#endif

    public static void EnsureLoaded()
    {
#if NETSTANDARD2_0
        lock (Gate)
        {
            if (done) return;
            done = true;
            if (!RuntimeInformation.IsOSPlatform(OSPlatform.Windows)) return;
            var folder = Environment.Is64BitProcess ? "x64" : "x86";
            foreach (var baseFolder in new[] { Path.GetDirectoryName(typeof(K3Unit).Assembly.Location), AppDomain.CurrentDomain.BaseDirectory })
            {
                if (string.IsNullOrEmpty(baseFolder)) continue;
                var path = Path.Combine(baseFolder, folder, "TarvenK3Cmd.dll");
                if (File.Exists(path) && LoadLibraryExW(path, IntPtr.Zero, LoadWithAlteredSearchPath) != IntPtr.Zero) return;
            }
        }
#endif
    }

#if NETSTANDARD2_0
    [DllImport("kernel32", CharSet = CharSet.Unicode, ExactSpelling = true, SetLastError = true)]
    static extern IntPtr LoadLibraryExW(string path, IntPtr file, uint flags);
#endif
}
