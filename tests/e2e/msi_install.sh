#!/usr/bin/env bash
# The Windows Installer packages as an administrator uses them, in a Wine
# prefix of the test's own (a copy-on-write copy of the ring's prefix, with
# a Wine server of its own): a silent install puts both program files into
# the system folders and adds the Apps & Features entry; the installed
# program runs and, with System32 not writable, its dialog saves to
# %APPDATA%; a higher version replaces it in place; SETSAVER=1 chooses it;
# the 32-bit package refuses 64-bit Windows; removal leaves no file of its
# own behind. Then, in a 32-bit prefix, the 32-bit package installs and goes
# again. The packages are made from the program files this build made.
set -uo pipefail
: "${LVX_ROOT:?}" "${LVX_SCR:?}" "${LVX_SCR_X86:?}" "${LVX_E2E_HELPER:?}"
here=$(cd "$(dirname "$0")" && pwd)
msi_started=$(date +%s%N)
source "$LVX_ROOT/scripts/wine-env.sh"
lvx_wine_prefix

MSI_T=$(mktemp -d "${TMPDIR:-/tmp}/lvx-msi.XXXXXX")
MSI_MOUNTS=()
MSI_OWN_DISPLAY=0
MSI_IMMUTABLE=""
MSI_PREFIX32=""
msi_teardown() {
    [ -n "$MSI_IMMUTABLE" ] && chattr -i "$MSI_IMMUTABLE" 2>/dev/null
    lvx_desktop_release
    # Only the test's own server: never the ring's.
    [ "$WINEPREFIX" = "$MSI_T/prefix" ] && lvx_wineserver_stop
    [ -n "$MSI_PREFIX32" ] && { WINEPREFIX=$MSI_PREFIX32 wineserver -k 2>/dev/null; WINEPREFIX=$MSI_PREFIX32 wineserver -w 2>/dev/null; }
    local dir i
    for dir in "${MSI_MOUNTS[@]}"; do
        # Wine's last processes may still hold files for a moment.
        for i in 1 2 3 4 5; do umount "$dir" 2>/dev/null && break; sleep 0.5; done
        mountpoint -q "$dir" && umount -l "$dir"
    done
    rm -rf "$MSI_T"
    [ "$MSI_OWN_DISPLAY" = 1 ] && lvx_xvfb_stop
}
# Until lib.sh takes over the clean-up (below).
trap msi_teardown EXIT

# msi_fresh_prefix BASE NAME: a fresh prefix $MSI_T/NAME made from BASE: an
# overlay costs nothing and leaves BASE untouched; a plain copy (1.3 GB for
# the ring's prefix, about 30 s) where overlays cannot be mounted.
msi_fresh_prefix() {
    local dir="$MSI_T/$2"
    mkdir -p "$dir" "$MSI_T/$2.upper" "$MSI_T/$2.work"
    if mount -t overlay overlay -o "lowerdir=$1,upperdir=$MSI_T/$2.upper,workdir=$MSI_T/$2.work" "$dir" 2>/dev/null; then
        MSI_MOUNTS+=("$dir")
    else
        echo "no overlay mount here: copying the prefix $1" >&2
        cp -a "$1/." "$dir/"
    fi
}
msi_fresh_prefix "$WINEPREFIX" prefix
export LVX_WINEPREFIX="$MSI_T/prefix"
export WINEPREFIX="$LVX_WINEPREFIX"
# Tests before may have left settings of their own in the ring's prefix.
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Lumvex_K47
if [ -z "${DISPLAY:-}" ]; then
    lvx_xvfb_start
    MSI_OWN_DISPLAY=1
fi
lvx_wineserver_start "$LVX_E2E_HELPER"
prefix_ms=$((($(date +%s%N) - msi_started) / 1000000))

source "$here/lib.sh"
source "$here/dialog_lib.sh"
eval "lvx_cleanup_lib() $(declare -f lvx_cleanup | tail -n +2)"
lvx_cleanup() { lvx_cleanup_lib; msi_teardown; }
echo "prefix and Wine server ready after $prefix_ms ms"

# msiexec as an administrator on 64-bit Windows starts it: the 64-bit one.
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=wine64
msiexec() { "$wine64" msiexec "$@" </dev/null >/dev/null 2>&1; }
windir="$WINEPREFIX/drive_c/windows"
sys64="$windir/system32"
sys32="$windir/syswow64"
# Wine names the Windows user after the Unix one.
appdata_ini="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Lumvex_K47/Lumvex_K47.ini"

# The uninstall entries named Lumvex_K47, one line each:
# "KEY|DisplayVersion|Publisher|HelpLink|Size|UninstallString".
entries() { entries_with "$wine64"; }
entries_with() {  # WINE
    "$1" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null 2>/dev/null |
        tr -d '\r' | awk -F '    ' '
            function flush() { if (name == "Lumvex_K47") print key "|" v["DisplayVersion"] "|" v["Publisher"] "|" v["HelpLink"] "|" v["Size"] "|" v["UninstallString"] }
            /^HKEY/ { flush(); key = $0; sub(/.*\\/, "", key); name = ""; delete v; next }
            $2 == "DisplayName" { name = $4 }
            NF >= 4 { v[$2] = $4 }
            END { flush() }'
}
# The value NAME of HKCU\Control Panel\Desktop, empty when it is not set.
desktop_value() {
    "$wine64" reg query 'HKCU\Control Panel\Desktop' /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        awk -F '    ' -v n="$1" '$2 == n { print $4 }'
}

# ---- the packages, from this build's program files
web=https://lumvex.example.jp/k47/
for v in 1.0.0 1.0.1; do
    lvx_check "msi.sh builds version $v" \
        bash "$LVX_ROOT/scripts/msi.sh" --version "$v" --web-address "$web" "$LVX_SCR" "$LVX_SCR_X86" "$MSI_T/$v" >/dev/null
done
old64="$MSI_T/1.0.0/Lumvex_K47-1.0.0-x64.msi"
new64="$MSI_T/1.0.1/Lumvex_K47-1.0.1-x64.msi"
new86="$MSI_T/1.0.1/Lumvex_K47-1.0.1-x86.msi"

lvx_expect_eq "a fresh prefix: no program file, no entry" "" \
    "$(ls "$sys64"/Lumvex_K47* "$sys32"/Lumvex_K47* 2>/dev/null)$(entries)"

# ---- the 32-bit package refuses 64-bit Windows, naming the other one
msiexec /i "$(lvx_win_path "$new86")" /qn
status=$?
lvx_check "the x86 package fails on 64-bit Windows (status $status)" test "$status" -ne 0
lvx_expect_eq "and installs nothing" "" "$(ls "$sys64"/Lumvex_K47* "$sys32"/Lumvex_K47* 2>/dev/null)$(entries)"
lvx_check "its launch condition names the x64 package" \
    grep -q $'^NOT VersionNT64\t.*Lumvex_K47-1.0.1-x64.msi' <(msiinfo export "$new86" LaunchCondition)

# ---- silent install, per machine
installer_before=$(ls "$windir/Installer" 2>/dev/null)
msiexec /i "$(lvx_win_path "$old64")" /qn
lvx_expect_eq "msiexec /i /qn succeeds" 0 "$?"
lvx_check "the 64-bit file is in System32" cmp -s "$LVX_SCR" "$sys64/Lumvex_K47.scr"
lvx_check "the 32-bit file is in SysWOW64" cmp -s "$LVX_SCR_X86" "$sys32/Lumvex_K47.scr"
entry=$(entries)
IFS='|' read -r code version publisher help size uninstall <<<"$entry"
lvx_expect_eq "one Apps & Features entry, version 1.0.0, publisher, help link" "1 1.0.0 Lumvex $web" \
    "$(grep -c . <<<"$entry") $version $publisher $help"
kb=$((($(stat -c %s "$LVX_SCR") + $(stat -c %s "$LVX_SCR_X86") + 1023) / 1024))
lvx_expect_eq "the entry's size in KB" "$kb" "$size"
lvx_expect_eq "its uninstall command" "MsiExec.exe /X$code" "$uninstall"
lvx_check "its icon is the program's" cmp -s "$LVX_ROOT/src/resources/lumvex.ico" "$windir/Installer/$code/lumvex.ico"
lvx_expect_eq "the saver is not chosen without SETSAVER" "" "$(desktop_value SCRNSAVE.EXE)"

# ---- the installed program: the saver, then the dialog
lvx_start_scr() { lvx_start "$1" run 'C:\windows\system32\Lumvex_K47.scr' "$2"; }
lvx_hold_pointer
lvx_move 512 384
mkdir -p "$(dirname "$appdata_ini")"
{ printf '[Section]\r\n'; printf '%s\r\n' "ﾋﾟｸﾁｬのｻｲｽﾞ= 200" "背景色= 16711935" "ｸﾞﾗﾃﾞｰｼｮﾝ= 1" "色の転換= 100"; } |
    iconv -f UTF-8 -t CP932 >"$appdata_ini"
lvx_start_scr s "/s"
lvx_check "the installed saver turns" lvx_wait_passes 5 20
sleep 0.3
lvx_expect_eq "twelve pictures of 200 x 200 with the settings from %APPDATA%" $((12 * 200 * 200)) \
    "$(lvx_non_background "$(lvx_shot saver)" ff00ff)"
lvx_key a
lvx_check "a key ends it" lvx_wait_exit s 8

# As a user, who cannot write System32 (root can, so the folder is made
# immutable for this step; the trap clears it).
rm -f "$appdata_ini"
MSI_IMMUTABLE=$sys64
lvx_check "System32 is made immutable" chattr +i "$sys64"
lvx_check "the installed dialog opens" dlg_open d
dlg_click 1 C4 46 30         # circle
dlg_click 1 B 370 292        # OK
lvx_check "OK ends it" dlg_wait_closed d 10
chattr -i "$sys64"
MSI_IMMUTABLE=""
lvx_check "no settings file beside the installed program" test ! -e "$sys64/Lumvex_K47.ini"
lvx_check "the settings went to %APPDATA%\\Lumvex_K47, with the choice made" \
    grep -q "$(printf '\x8c\x60\x8f\xf3= 1\r')" "$appdata_ini"

# ---- a higher version replaces it in place; SETSAVER=1 chooses it
msiexec /i "$(lvx_win_path "$new64")" /qn SETSAVER=1
lvx_expect_eq "the upgrade succeeds" 0 "$?"
entry=$(entries)
lvx_expect_eq "one entry afterwards, version 1.0.1" "1 1.0.1" "$(grep -c . <<<"$entry") $(cut -d'|' -f2 <<<"$entry")"
lvx_check "both files are still in place" cmp -s "$LVX_SCR_X86" "$sys32/Lumvex_K47.scr"
lvx_expect_eq "SETSAVER=1 makes it the user's saver" 'C:\windows\system32\Lumvex_K47.scr 1' \
    "$(desktop_value SCRNSAVE.EXE) $(desktop_value ScreenSaveActive)"

# ---- removal: the files, settings an administrator saved beside them, the
# entry; the user's own settings stay
printf '[Section]\r\n' >"$sys64/Lumvex_K47.ini"
printf '[Section]\r\n' >"$sys32/Lumvex_K47.ini"
msiexec /x "$(lvx_win_path "$new64")" /qn
lvx_expect_eq "msiexec /x /qn succeeds" 0 "$?"
lvx_expect_eq "no file of its own is left, no entry" "" \
    "$(find "$WINEPREFIX/drive_c" -iname 'lumvex_k47*' ! -path '*/AppData/*' 2>/dev/null; entries)"
lvx_expect_eq "nothing of it is left in the installer's cache" "$installer_before" "$(ls "$windir/Installer" 2>/dev/null)"
lvx_check "the user's settings stay" test -s "$appdata_ini"

# ---- the x86 package on 32-bit Windows (Wine's 32-bit half): installs the
# 32-bit file into System32, and goes again. Its prefix is made once (about
# 25 s) beside the ring's and used through an overlay, as above.
base32="$LVX_BUILD/wineprefix-win32"
started32=$(date +%s%N)
if [ ! -f "$base32/.lvx-ready" ]; then
    rm -rf "$base32"
    WINEPREFIX=$base32 WINEARCH=win32 wineboot -i </dev/null >/dev/null 2>&1
    WINEPREFIX=$base32 wineserver -w
    [ -d "$base32/drive_c/windows/system32" ] && touch "$base32/.lvx-ready"
fi
msi_fresh_prefix "$base32" prefix32
MSI_PREFIX32="$MSI_T/prefix32"
wine32() { WINEPREFIX=$MSI_PREFIX32 WINEARCH=win32 wine "$@" </dev/null 2>/dev/null; }
WINEPREFIX=$MSI_PREFIX32 wineserver -p
entries32() { WINEPREFIX=$MSI_PREFIX32 WINEARCH=win32 entries_with wine; }
wine32 msiexec /i "$(lvx_win_path "$new86")" /qn >/dev/null
lvx_expect_eq "32-bit Windows: msiexec /i x86.msi /qn succeeds" 0 "$?"
lvx_check "the 32-bit file is in its System32" cmp -s "$LVX_SCR_X86" "$MSI_PREFIX32/drive_c/windows/system32/Lumvex_K47.scr"
lvx_expect_eq "one entry, version 1.0.1" "1 1.0.1" "$(entries32 | grep -c .) $(entries32 | cut -d'|' -f2)"
wine32 msiexec /x "$(lvx_win_path "$new86")" /qn >/dev/null
lvx_expect_eq "msiexec /x /qn succeeds" 0 "$?"
lvx_expect_eq "no file of its own is left, no entry" "" \
    "$(find "$MSI_PREFIX32/drive_c" -iname 'lumvex_k47*' 2>/dev/null; entries32)"
echo "the 32-bit part took $((($(date +%s%N) - started32) / 1000000)) ms"
echo "msi_install: $((($(date +%s%N) - msi_started) / 1000000)) ms in all"
