#!/usr/bin/env bash
# The install script's apt routines against a stand-in apt-get: a mirror
# caught mid-sync is retried, an update that never succeeds does not stop the
# install, and a failed multiarch install says what to do.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"
source "$top/scripts/lib.sh"

# A stand-in apt-get: "update" fails until the counter file reaches its
# limit; "install" prints the given text and exits with the given status.
fake=$scratch/apt-get
cat >"$fake" <<'FAKE'
#!/usr/bin/env bash
count=$(($(cat "$FAKE_DIR/count" 2>/dev/null || echo 0) + 1))
echo $count >"$FAKE_DIR/count"
case $1 in
update)
  if [ $count -le "$FAKE_UPDATE_FAILURES" ]; then
    echo "E: Failed to fetch http://mirror/dists/bookworm/main/binary-i386/Packages.xz  File has unexpected size (4 != 8). Mirror sync in progress?"
    exit 100
  fi ;;
install)
  echo "$FAKE_INSTALL_TEXT"
  exit "$FAKE_INSTALL_STATUS" ;;
esac
FAKE
chmod +x "$fake"
export FAKE_DIR=$scratch APT_GET=$fake MORVINT_APT_PAUSE=0 MORVINT_APT_TRIES=3

begin "a mirror fault that passes is retried until the update succeeds"
rm -f "$scratch/count"
FAKE_UPDATE_FAILURES=2 apt_update_retrying 2>"$scratch/err"
expect_status 0 $?
expect_equal 3 "$(cat "$scratch/count")"
expect_equal "" "${APT_INDEXES_STALE:-}"
expect_output "$scratch/err" "try 1 of 3"

begin "an update that keeps failing goes on to the install and says so"
rm -f "$scratch/count"
FAKE_UPDATE_FAILURES=99 apt_update_retrying 2>"$scratch/err"
expect_status 0 $?
expect_equal 3 "$(cat "$scratch/count")"
expect_equal 1 "$APT_INDEXES_STALE"
expect_output "$scratch/err" "going on with the package indexes as they are"

begin "a warning that an index could not be fetched counts as a failure"
cat >"$scratch/apt-warn" <<'FAKE'
#!/usr/bin/env bash
echo "W: Failed to fetch http://mirror/dists/bookworm-security/InRelease  Connection failed"
FAKE
chmod +x "$scratch/apt-warn"
APT_GET=$scratch/apt-warn apt_update_retrying 2>"$scratch/err"
expect_equal 1 "$APT_INDEXES_STALE"

begin "a multiarch version skew after stale indexes explains what to do"
APT_INDEXES_STALE=1
FAKE_INSTALL_STATUS=100 FAKE_INSTALL_TEXT="wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-4+deb12u1 is to be installed" \
  apt_install wine32:i386 2>"$scratch/err"
expect_status 100 $?
expect_output "$scratch/err" "multiarch"
expect_output "$scratch/err" "run this command again"

begin "a successful install prints nothing"
APT_INDEXES_STALE=
FAKE_INSTALL_STATUS=0 FAKE_INSTALL_TEXT="Setting up cmake" apt_install cmake 2>"$scratch/err"
expect_status 0 $?
expect_equal "" "$(cat "$scratch/err")"

begin "the guest path is forced either way by MORVINT_GUEST"
MORVINT_GUEST=1 guest_needed
expect_status 0 $?
MORVINT_GUEST=0 guest_needed
expect_status 1 $?
expect_output <(MORVINT_GUEST=1 say_test_bed) "forced by MORVINT_GUEST=1"

finish
