#!/usr/bin/env bash
# tools/setup-deps against a mirror in the middle of a sync, as seen on a
# fresh machine: apt-get update keeps failing on one list ("File has
# unexpected size ... Mirror sync in progress?"), and a plain install
# cannot resolve without it. A stand-in apt-get first on PATH fails so;
# setup-deps must retry the update, go on with the lists it has, install
# from the release's own suite, and, when even that fails, stop with one
# sentence naming the list.
# Usage: check_setup_deps.sh SOURCE_DIR
set -uo pipefail
setup_deps="$1/tools/setup-deps"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
list="http://deb.example/debian-security $codename-security/main i386 Packages"

mkdir "$scratch/bin"
cat >"$scratch/bin/apt-get" <<STANDIN
#!/usr/bin/env bash
echo "\$*" >>"$scratch/calls"
case "\$*" in
update*)
    echo "Err:6 $list"
    echo "  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
*"-t $codename"*) exit "\$(cat "$scratch/targeted-exit")" ;;
*) echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
esac
STANDIN
printf '#!/bin/sh\nexec "$@"\n' >"$scratch/bin/sudo"
chmod +x "$scratch/bin/apt-get" "$scratch/bin/sudo"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A package no machine has makes setup-deps update and install.
for targeted_exit in 0 100; do
    echo "$targeted_exit" >"$scratch/targeted-exit"
    : >"$scratch/calls"
    PATH="$scratch/bin:$PATH" SETUP_DEPS_EXTRA=ravenlook-not-a-package SETUP_DEPS_RETRY_SECONDS=0 \
        RAVENLOOK_EMULATE_I386= "$setup_deps" >"$scratch/out" 2>"$scratch/err"
    status=$?
    echo "--- the release's suite gives exit $targeted_exit: setup-deps exits $status"
    cat "$scratch/out" "$scratch/err" | grep '^setup-deps'
    [ "$(grep -c '^update' "$scratch/calls")" -eq 3 ] || fail "the update was not tried three times"
    grep -q "could not read $list; going on with the lists it has" "$scratch/out" ||
        fail "no line naming the unread list"
    grep -qx -- "install -y -q --no-install-recommends -t $codename .*ravenlook-not-a-package" \
        "$scratch/calls" || fail "no install with the release's own suite as target"
    grep -q "installing again from the release's own suite ($codename)" "$scratch/out" ||
        fail "the second install is not announced"
    if [ "$targeted_exit" -eq 0 ]; then
        [ "$status" -eq 0 ] || fail "setup-deps did not get through"
    else
        [ "$status" -ne 0 ] || fail "setup-deps reported success though nothing installed"
        [ "$(grep -c '^setup-deps' "$scratch/err")" -eq 1 ] &&
            grep -q "could not read $list: run tools/setup-deps again" "$scratch/err" ||
            fail "no one sentence naming the list that could not be read"
    fi
done
[ "$failures" -eq 0 ] && echo "check_setup_deps: setup-deps gets through a mirror mid-sync"
exit "$failures"
