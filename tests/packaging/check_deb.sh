#!/usr/bin/env bash
# Checks a Debian package made by `cpack -G DEB`: its contents, its desktop entry and AppStream metainfo,
# the version in its release notes, and lintian (errors fail, warnings are shown).
#   check_deb.sh PACKAGE.deb
set -uo pipefail
deb=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    ((failures++))
}

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
expected=(
    /usr/bin/krmconfig
    /usr/bin/krmctl
    /usr/bin/krm-uhid-mouse
    '/(usr/)?lib/udev/rules.d/70-krm-mouse.rules'
    /usr/share/applications/io.krm.krmconfig.desktop
    /usr/share/metainfo/io.krm.krmconfig.metainfo.xml
    /usr/share/icons/hicolor/scalable/apps/io.krm.krmconfig.svg
    /usr/share/man/man1/krmconfig.1.gz
    /usr/share/man/man1/krmctl.1.gz
    /usr/share/man/man1/krm-uhid-mouse.1.gz
    /usr/share/man/man7/krmconfig-dbus.7.gz
    /usr/share/dbus-1/interfaces/io.krm.Configurator1.xml
    /usr/share/dbus-1/interfaces/io.krm.Mouse1.xml
    /usr/share/dbus-1/services/io.krm.krmconfig.service
    /usr/share/bash-completion/completions/krmctl
    /usr/share/zsh/vendor-completions/_krmctl
    /usr/share/doc/krmconfig/copyright
    /etc/xdg/autostart/io.krm.krmconfig-background.desktop
    /usr/lib/systemd/user/krmctl-watch.service
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/io.krm.krmconfig.png")
done
for path in "${expected[@]}"; do
    grep -qxE "$path" <<<"$contents" || fail "the package lacks $path"
done
dpkg-deb -I "$deb" postinst | grep -q 'udevadm control --reload-rules' || fail "the postinst does not reload the udev rules"

dpkg-deb -x "$deb" "$scratch"
for entry in usr/share/applications/io.krm.krmconfig.desktop etc/xdg/autostart/io.krm.krmconfig-background.desktop; do
    desktop-file-validate "$scratch/$entry" || fail "desktop-file-validate $entry"
done
grep -qx 'Hidden=true' "$scratch/etc/xdg/autostart/io.krm.krmconfig-background.desktop" ||
    fail "the autostart entry would start the companion for every user"
dpkg-deb -I "$deb" conffiles | grep -qx /etc/xdg/autostart/io.krm.krmconfig-background.desktop ||
    fail "the autostart entry is not a conffile"
grep -qx 'ExecStart=/usr/bin/krmctl watch' "$scratch/usr/lib/systemd/user/krmctl-watch.service" ||
    fail "the user service does not run /usr/bin/krmctl watch"
appstreamcli validate --no-net "$scratch/usr/share/metainfo/io.krm.krmconfig.metainfo.xml" || fail "appstreamcli validate"

# The release notes name the packaged version first.
version=$(dpkg-deb -f "$deb" Version)
release=$(grep -o -m1 '<release version="[^"]*"' "$scratch/usr/share/metainfo/io.krm.krmconfig.metainfo.xml" | cut -d'"' -f2)
[[ $release == "$version" ]] || fail "the metainfo's newest release is $release, the package is $version"
changelog=$(zcat "$scratch/usr/share/doc/krmconfig/changelog.gz" | head -n1 | sed -n 's/^[^ ]* (\([^)]*\)).*/\1/p')
[[ $changelog == "$version" ]] || fail "the changelog's newest entry is $changelog, the package is $version"

# lintian refuses to run as root without a word; the checks are the same.
lintian --fail-on error --tag-display-limit 0 "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
    fail "lintian found errors"

if ((failures)); then
    echo "$failures check(s) of $deb failed"
    exit 1
fi
echo "$deb: contents, desktop entry, metainfo, release notes and lintian are fine"
