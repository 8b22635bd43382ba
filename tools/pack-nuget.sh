#!/usr/bin/env bash
# The SDK's two NuGet packages, TarvenK3 and TarvenK3.Simulator, made from the unpacked SDK zip so
# that their native files are the zip's bytes (signed when the zip's are).
#   tools/pack-nuget.sh SDK_DIR [OUT_DIR]
# SDK_DIR: where make package put the zip and its folder (build/sdk). The packages go beside the
# zip, and SHA256SUMS there is made anew over the zip and both; or into OUT_DIR alone.
# Without the .NET SDK it says so in one line and leaves the zip alone.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
sdk=$(cd "$1" && pwd)
out=$(mkdir -p "${2:-$1}" && cd "${2:-$1}" && pwd)
zip=$(ls "$sdk"/TarvenK3-SDK-*.zip | head -1)
folder=${zip%.zip}
version=${folder##*/TarvenK3-SDK-}
if ! command -v dotnet >/dev/null 2>&1; then
  echo "NuGet packages not made: no .NET SDK (dotnet) on this machine"
  exit 0
fi
rm -f "$out"/TarvenK3.*.nupkg
# The packages' zip entries carry the last commit's time, so one commit gives the same bytes.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || echo 315532800)}
for project in TarvenK3 TarvenK3.Simulator; do
  dotnet pack "$source_dir/dotnet/$project" --nologo -v quiet -c Release -o "$out" \
    -p:Version="$version" -p:TarvenNativeDir="$folder" >/dev/null
done
if [ "$out" = "$sdk" ]; then
  (cd "$sdk" && sha256sum "${zip##*/}" TarvenK3."$version".nupkg TarvenK3.Simulator."$version".nupkg >SHA256SUMS)
fi
