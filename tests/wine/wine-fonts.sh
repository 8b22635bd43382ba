#!/usr/bin/env bash
# Gives a Wine prefix Wine's own fonts, the faces its dialogs and DEFAULT_GUI_FONT name ("MS Shell
# Dlg" -> Tahoma): Debian installs them in /usr/share/wine/fonts, where Wine started by its loader
# path does not look. Wine loads every font in the prefix's Windows\Fonts.
#   wine-fonts.sh PREFIX
set -eu
fonts="$1/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -n /usr/share/wine/fonts/* "$fonts/"
