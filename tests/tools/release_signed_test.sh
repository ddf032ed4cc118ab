#!/usr/bin/env bash
# The release made from this build (tools/release.sh --from) and signed with a certificate
# made here for the purpose: the program in the zip, the setup and the uninstaller that
# the setup writes each carry a signature that osslsigncode finds intact and covering the
# file (the throwaway certificate is named as the one to trust); a file changed after
# signing fails; the winget check refuses manifests whose hash is not the setup's.
#
#   release_signed_test.sh BUILD-DIR PROBE.exe WORKDIR
#
# BUILD-DIR is the x86_64 build. The setup is installed under Wine, in a prefix and on a
# display of their own (tools/wine-session.sh), into a folder whose name holds a blank.
set -u
build=$(cd "$1" && pwd)
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# shellcheck source=tools/wine-session.sh
. "$(dirname "$0")/../../tools/wine-session.sh"
skittera_session_start release_signed "$build/shell/skittera.exe" "$2" "$3"
top=$(cd "$(dirname "$0")/../.." && pwd)

# The certificate: self-signed, for code signing, in a PKCS#12 file with a password.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Skittera test signer" -addext extendedKeyUsage=codeSigning >"$work/openssl.out" 2>&1 ||
    fail "openssl cannot make a certificate: $(cat "$work/openssl.out")"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.pfx" \
    -passout pass:prova-123 >>"$work/openssl.out" 2>&1 || fail "openssl cannot make the PKCS#12 file"

# tools/release.sh --from takes a folder that holds the build under its target's name.
mkdir -p "$work/builds"
ln -s "$build" "$work/builds/x86_64"
SKITTERA_SIGN_PFX="$work/signer.pfx" SKITTERA_SIGN_PASSWORD=prova-123 \
    "$top/tools/release.sh" --from "$work/builds" --out "$work/release" x86_64 >"$work/release.out" 2>&1 ||
    fail "the signed release failed: $(cat "$work/release.out")"
grep -q prova-123 "$work/release.out" && fail "the release printed the certificate's password"

version=$(sed -n 's/^#define SKITTERA_VERSION_TEXT "\(.*\)"$/\1/p' "$build/resources/version.h")
setup="$work/release/Skittera-$version-setup.exe"
python3 - "$work/release/Skittera-$version.zip" "$work/zipped.exe" <<'PYTHON' || fail "the zip holds no skittera.exe"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive, open(sys.argv[2], "wb") as out:
    out.write(archive.read("skittera.exe"))
PYTHON

expect_signed() {
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.out" 2>&1 ||
        fail "$2 is not signed intact: $(cat "$work/verify.out")"
    grep -q "Subject: /CN=Skittera test signer" "$work/verify.out" || fail "$2 is signed by another: $(cat "$work/verify.out")"
}

expect_signed "$work/zipped.exe" "the zip's skittera.exe"
expect_signed "$setup" "the setup"
cp "$setup" "$work/changed-setup.exe"
printf 'X' | dd of="$work/changed-setup.exe" bs=1 seek=100000 conv=notrunc status=none
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed-setup.exe" >"$work/verify.out" 2>&1 &&
    fail "a setup changed after signing passes the check"

note "installing the signed setup"
install_windows='C:\Programmi utente\Skittera'
install_dir="$WINEPREFIX/drive_c/Programmi utente/Skittera"
status=0
# /D= unquoted, as the last argument, whatever blanks it holds (Wine would quote one argument).
skittera_wine "$setup" /S '/D=C:\Programmi' 'utente\Skittera' >"$work/setup.out" 2>&1 </dev/null || status=$?
[ "$status" = 0 ] || fail "the signed setup ended with $status"
expect_signed "$install_dir/uninstall.exe" "the installed uninstaller"
expect_signed "$install_dir/skittera.exe" "the installed skittera.exe"
# A path with a blank goes into the Run value in quotes, as the program's log-on box writes it.
[ "$(reg_get 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Skittera)" = "\"$install_windows\\skittera.exe\"" ] ||
    fail "the Run value is '$(cat "$work/reg.out")'"

python3 "$top/tools/release.py" check-winget --setup "$setup" --manifests "$work/release/winget" ||
    fail "the winget manifests do not match the setup they were made for"
sed -i 's/^\( *InstallerSha256: \).*/\10000000000000000000000000000000000000000000000000000000000000000/' \
    "$work/release/winget/Skittera.Skittera.installer.yaml"
python3 "$top/tools/release.py" check-winget --setup "$setup" --manifests "$work/release/winget" \
    >"$work/check.out" 2>&1 && fail "the winget check takes a manifest with another hash"
grep -q InstallerSha256 "$work/check.out" || fail "the winget check does not name the hash: $(cat "$work/check.out")"

session_passed=1
note "passed"
