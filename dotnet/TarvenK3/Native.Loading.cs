namespace TarvenK3;

public static partial class Native
{
    // A .NET Framework program gets the library for its bitness loaded before its first call
    // (NativeLibraryFolders); elsewhere this does nothing.
    static Native() => NativeLibraryFolders.EnsureLoaded();
}
