# Shared by scripts/test and scripts/run: installs what is missing, builds, and
# prepares Wine. Sourced, not run.

ZDV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZDV_BUILD=${ZDV_BUILD:-$ZDV_ROOT/build}
ZDV_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
              googletest xvfb x11-apps x11-utils imagemagick locales nsis)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    for p in "${ZDV_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
    # The tests pin English (code page 1252) and run multibyte cases under Japanese (932).
    local want=() have
    have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
    grep -qx 'en_us.utf8' <<<"$have" || want+=(en_US.UTF-8)
    grep -qx 'ja_jp.utf8' <<<"$have" || want+=(ja_JP.UTF-8)
    if [ ${#want[@]} -gt 0 ]; then
        for l in "${want[@]}"; do
            as_root sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
            grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        done
        as_root locale-gen >/dev/null
    fi
}

build_project() {
    cmake -S "$ZDV_ROOT" -B "$ZDV_BUILD" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ZDV_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$ZDV_BUILD" -j"$(nproc)"
}

# Wine settings every run uses: quiet, no Mono or Gecko installs, pinned locale and zone.
wine_environment() {
    export WINEDEBUG=-all
    # No Mono or Gecko installs, and no menu entries on the Linux desktop for
    # the shortcuts the installer test makes.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
    export LC_ALL=en_US.UTF-8
    export TZ=Europe/London
}

# Creates the prefix in $WINEPREFIX when it is not there yet and starts one
# persistent wineserver for the run. $1 = graphics driver ("null" for headless
# runs, empty to keep Wine's own choice).
prepare_prefix() {
    local driver=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        DISPLAY= wineboot -i </dev/null >/dev/null 2>&1
    fi
    wineserver -w
    # Every later process starts faster with one server kept alive. The services
    # Wine starts with the first process below get /dev/null, not a caller's
    # pipe, so nothing that reads our output waits for them.
    wineserver -p </dev/null >/dev/null 2>&1
    if [ -n "$driver" ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$driver" /f </dev/null >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f </dev/null >/dev/null 2>&1 || true
    fi
    # The command above started Wine's desktop process with the driver it found
    # before the setting changed (then no window can be made). Start again: a
    # fresh server, and a fresh desktop, again with /dev/null as its output.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    wineserver -p </dev/null >/dev/null 2>&1
    wine reg query 'HKCU\Software\Wine\Drivers' </dev/null >/dev/null 2>&1 || true
}

# Stale entries a real machine collects: an uninstalled program's settings,
# start-up entry, uninstall entry, class registration and file type, plus
# history lists, a shared library count and an empty vendor key.
seed_stale_entries() {
    local reg="$WINEPREFIX/drive_c/zdv-demo.reg"
    local app='C:\\Program Files\\Contoso\\PhotoTool'
    # A 32-bit program's entries, in the registry's 32-bit view.
    local app32='C:\\Program Files (x86)\\Fabrikam\\Scanner'
    cat >"$reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Contoso\\PhotoTool]
"InstallPath"="$app\\\\phototool.exe"
"Language"="en-GB"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]
"ContosoUpdater"="\\"C:\\\\Program Files\\\\Contoso\\\\Updater\\\\update.exe\\" /background"
"TrayHelper"="trayhelper.exe -startup"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU]
"a"="notepad\\\\1"
"MRUList"="a"

[HKEY_CURRENT_USER\\Software\\EmptyVendor]

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ContosoPhotoTool]
"DisplayName"="Contoso PhotoTool"
"UninstallString"="\\"$app\\\\uninstall.exe\\""

[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{D1C0A5E2-6F3B-4E2A-9C7D-2B8E5F1A0C33}\\InprocServer32]
@="$app\\\\thumbs.dll"
"ThreadingModel"="Both"

[HKEY_LOCAL_MACHINE\\Software\\Classes\\.ctphoto]
@="Contoso.Photo"

[HKEY_LOCAL_MACHINE\\Software\\Classes\\Contoso.Photo\\shell\\open\\command]
@="\\"$app\\\\phototool.exe\\" \\"%1\\""

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls]
"C:\\\\Program Files\\\\Common Files\\\\Contoso\\\\imaging.dll"=dword:00000002

[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FabrikamScanner]
"DisplayName"="Fabrikam Scanner"
"UninstallString"="$app32\\\\unins000.exe"

[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run]
"FabrikamTray"="\\"$app32\\\\tray.exe\\" /minimized"

[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes\\CLSID\\{7A3F0E4B-2C91-4D6A-B815-3E0F9C2D4A71}\\InprocServer32]
@="$app32\\\\scanext.dll"
"ThreadingModel"="Apartment"
REG
    wine regedit /s 'C:\zdv-demo.reg' </dev/null >/dev/null 2>&1
    rm -f "$reg"
}
