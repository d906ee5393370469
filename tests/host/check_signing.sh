#!/usr/bin/env bash
# The signed release as the release job builds it: the dist target with
# SIGN_CERT and SIGN_KEY, here a throwaway self-signed code-signing
# certificate made with openssl, in a build tree of its own. Checks that
#   - osslsigncode verify accepts Ravenlook_inst.exe and the uninstaller
#     Ravenlook.004 (SHA-256, "Ravenlook Install", signed at
#     SOURCE_DATE_EPOCH), and that both and the zip's copies are the same bytes;
#   - a second signed build a moment later gives the same bytes;
#   - signing changed nothing of the program: the headers but for the
#     checksum and the certificate entry, every section (code, import table,
#     resources), and check_executable.sh still passes;
#   - an unsigned build afterwards puts the unsigned bytes back;
#   - a key that is not the certificate's fails with the one-sentence error
#     and leaves no setup program in the distribution;
#   - the signed program starts under Wine and shows its window (two of the
#     end-to-end window tests, run against it; needs tools/with-xvfb).
# Usage: check_signing.sh SOURCE_DIR WORK_DIR OBJDUMP WINDOW_E2E_TESTS_EXE
set -uo pipefail
source_dir="$1"
work="$2"
objdump="$3"
window_tests="$4"
here="$(cd "$(dirname "$0")" && pwd)"
rm -rf "$work"
mkdir -p "$work"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-1767225600}"
unset SIGN_CERT SIGN_KEY SIGN_TIMESTAMP_URL
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
give_up() { echo "FAIL: $1:"; tail -20 "$2"; exit 1; }

for tool in openssl osslsigncode; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/setup-deps)"; exit 1; }
done

# ---- The throwaway certificate, and a key that is not its own ----------------
cert="$work/cert.pem"
key="$work/key.pem"
other_key="$work/other-key.pem"
{
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$key" -out "$cert" -days 30 \
        -subj "/CN=Ravenlook Test Signing" -addext "keyUsage=digitalSignature" \
        -addext "extendedKeyUsage=codeSigning" &&
        openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$other_key"
} >"$work/openssl.log" 2>&1 || give_up "openssl could not make the test certificate" "$work/openssl.log"

tree="$work/tree"
dist="$tree/dist/Ravenlook"
zip="$tree/dist/Ravenlook-1.3-setup-1.5.zip"
unsigned="$tree/Ravenlook_inst.exe"
setup_files=(Ravenlook_inst.exe Ravenlook.004)
cmake -S "$source_dir" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -Wno-dev >"$work/configure.log" 2>&1 ||
    give_up "the build tree could not be configured" "$work/configure.log"

# Builds the dist target with the signing variables given after the log's
# name; its output goes to WORK_DIR/NAME.log.
build_dist() {
    local log="$work/$1.log"
    shift
    env "$@" cmake --build "$tree" --target dist -j "$(nproc)" >"$log" 2>&1
}

# ---- Signed, verified, the same bytes everywhere ------------------------------
build_dist signed SIGN_CERT="$cert" SIGN_KEY="$key" || give_up "the signed build failed" "$work/signed.log"
grep -q '^sign: Ravenlook_inst.exe signed for CN = Ravenlook Test Signing' "$work/signed.log" ||
    fail "the signed build does not say it signed: $(grep '^sign:' "$work/signed.log")"
signing_time="$(LC_ALL=C date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y GMT')"
for file in "${setup_files[@]}"; do
    log="$work/verify-$file.log"
    if osslsigncode verify -in "$dist/$file" -CAfile "$cert" >"$log" 2>&1 &&
        grep -q '^Signature verification: ok' "$log"; then
        echo "ok: osslsigncode verify -CAfile accepts $file"
    else
        fail "osslsigncode verify rejects $file: $(grep -iE 'error|failed' "$log" | head -3)"
    fi
    grep -qE '^Message digest algorithm *: SHA256' "$log" || fail "$file is not signed with SHA-256"
    grep -q 'Text description: Ravenlook Install$' "$log" || fail "$file lacks the description"
    grep -q "Signing time: $signing_time" "$log" ||
        fail "$file is not signed at SOURCE_DATE_EPOCH ($signing_time): $(grep 'Signing time' "$log")"
    unzip -p "$zip" "Ravenlook-1.3/$file" | cmp -s - "$dist/$file" ||
        fail "the zip's $file is not the signed one of the distribution folder"
done
cmp -s "$dist/Ravenlook_inst.exe" "$dist/Ravenlook.004" ||
    fail "Ravenlook_inst.exe and Ravenlook.004 are not the same signed bytes"
mkdir -p "$work/first"
cp "$dist/Ravenlook_inst.exe" "$zip" "$work/first/"
signed="$work/first/Ravenlook_inst.exe"

# ---- A second signed build ---------------------------------------------------
# Let the clock move on, so that any time stamp but SOURCE_DATE_EPOCH would differ.
sleep 2
build_dist signed-again SIGN_CERT="$cert" SIGN_KEY="$key" ||
    give_up "the second signed build failed" "$work/signed-again.log"
for file in "$dist/Ravenlook_inst.exe" "$zip"; do
    if cmp -s "$work/first/$(basename "$file")" "$file"; then
        echo "ok: $(basename "$file") identical in two signed builds ($(stat -c %s "$file") bytes)"
    else
        fail "$(basename "$file") differs between two signed builds"
    fi
done

# ---- The program itself is unchanged -----------------------------------------
headers() { "$objdump" -p "$1" | grep -vE 'file format|^CheckSum|Security Directory$'; }
sections() { "$objdump" -s "$1" | grep -v 'file format'; }
diff <(headers "$unsigned") <(headers "$signed") >"$work/headers.diff" ||
    fail "signing changed more headers than the checksum and the certificate entry: $(head -8 "$work/headers.diff")"
"$objdump" -p "$signed" | grep -E 'Security Directory$' | grep -qv ' 00000000 00000000 ' ||
    fail "the signed program has no certificate table"
cmp -s <(sections "$unsigned") <(sections "$signed") ||
    fail "signing changed a section's contents (code, import table or resources)"
"$here/check_executable.sh" "$objdump" "$signed" >"$work/check_executable.log" ||
    fail "check_executable.sh rejects the signed program: $(grep FAIL "$work/check_executable.log")"

# ---- Unsigned again, then a key that is not the certificate's -----------------
build_dist unsigned || give_up "the unsigned build failed" "$work/unsigned.log"
for file in "${setup_files[@]}"; do
    cmp -s "$unsigned" "$dist/$file" || fail "after a signed build, the unsigned build's $file is not unsigned"
done
notice="$(grep '^sign:' "$work/unsigned.log")"
[[ "$notice" == *"stays unsigned (for testing only)" && "$notice" != *$'\n'* ]] ||
    fail "the unsigned build does not say so in one line: $notice"

if build_dist mismatched SIGN_CERT="$cert" SIGN_KEY="$other_key"; then
    fail "signing with a key that is not the certificate's succeeded"
fi
expected="sign: SIGN_KEY ($other_key) is not the private key of the certificate in SIGN_CERT ($cert)."
grep -qxF "$expected" "$work/mismatched.log" ||
    fail "the mismatched key gives no clear error: $(grep '^sign:' "$work/mismatched.log")"
for file in "${setup_files[@]}" "${setup_files[@]/%/.part}"; do
    [ ! -e "$dist/$file" ] || fail "$file is left in the distribution after the failed signature"
done

# ---- The signed program under Wine -------------------------------------------
if [ -z "${DISPLAY:-}" ]; then
    fail "no DISPLAY for Wine: run under tools/with-xvfb"
elif RAVENLOOK_INSTALLER="$signed" timeout 120 "$source_dir/tools/wine-exec" "$window_tests" \
        --gtest_filter='SetupWindow.HasItsClassTitleStyleAndCentredRectangle:SetupWindow.ShowsEightControlsInCreationOrder' \
        >"$work/wine.log" 2>&1 && grep -q '\[  PASSED  \] 2 tests' "$work/wine.log"; then
    echo "ok: the signed program starts under Wine and shows its window"
else
    fail "the signed program does not start and show its window under Wine:"
    tail -20 "$work/wine.log"
fi

[ "$failures" -eq 0 ] && rm -rf "$work"
exit "$failures"
