#!/usr/bin/env bash
# The guest launcher against a stand-in emulator: the job's output and exit
# code come back, and a guest that hangs, dies or was never built ends the
# run with a clear message and a non-zero status instead of a hang.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check.sh"

# A stand-in qemu-system-x86_64. FAKE_GUEST says how it behaves: "run" does
# what the guest's init does with the job, "hang" never ends, "die" fails.
mkdir -p "$scratch/bin" "$scratch/boot"
cat >"$scratch/bin/qemu-system-x86_64" <<'FAKE'
#!/usr/bin/env bash
case $FAKE_GUEST in
hang) exec sleep 1000 ;;
die) echo "qemu: could not load kernel" >&2; exit 1 ;;
esac
for arg; do
  for word in $arg; do
    case $word in morvint.job=*) job=${word#morvint.job=} ;; esac
  done
done
bash "$job/job.sh" >"$job/output" 2>&1 </dev/null
echo $? >"$job/rc"
FAKE
chmod +x "$scratch/bin/qemu-system-x86_64"
touch "$scratch/boot/vmlinuz" "$scratch/boot/initrd.img" "$scratch/boot/disk.img"
export PATH=$scratch/bin:$PATH GUEST_BOOT=$scratch/boot GUEST_DISK=$scratch/boot/disk.img
run=$top/scripts/guest/run.sh

begin "the command's output and exit code come back from the guest"
FAKE_GUEST=run MORVINT_SAMPLE="two words" "$run" bash -c 'echo "seen: $MORVINT_SAMPLE in $PWD"; exit 3' >"$scratch/out" 2>&1
expect_status 3 $?
expect_output "$scratch/out" "seen: two words in $top"

begin "a guest that hangs is stopped at the time limit"
start=$SECONDS
FAKE_GUEST=hang MORVINT_GUEST_TIMEOUT=2 "$run" true >"$scratch/out" 2>&1
expect_status 125 $?
expect_output "$scratch/out" "time limit of 2 s"
((SECONDS - start < 30)) || fail_check "took $((SECONDS - start)) s"

begin "a guest that stops before the command ends says so"
FAKE_GUEST=die "$run" true >"$scratch/out" 2>&1
expect_status 125 $?
expect_output "$scratch/out" "before the command finished"
expect_output "$scratch/out" "could not load kernel"

begin "a guest that was never built is named"
GUEST_DISK=$scratch/none.img FAKE_GUEST=run "$run" true >"$scratch/out" 2>&1
expect_status 2 $?
expect_output "$scratch/out" "none.img is missing"

finish
