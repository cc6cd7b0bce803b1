#!/usr/bin/env bash
# Runs a command in the guest test bed: a full-system x86-64 guest under
# software emulation, whose kernel starts the 32-bit programs Wine needs. The
# project folder is shared into the guest at the same absolute path; the
# command runs there in the current folder, its output is shown here as it
# comes, and its exit code is this script's. The guest runs on a throw-away
# overlay of its disk and is stopped after MORVINT_GUEST_TIMEOUT seconds.
#
# usage: scripts/guest/run.sh [--vnc PORT] [--writable] COMMAND [ARG...]
#   --vnc PORT   forward the guest's VNC port 5900 to 127.0.0.1:PORT here
#   --writable   keep what the command changes on the guest's disk (for the
#                guest build's own preparation; never two guests at once)
# MORVINT_* variables (but the guest's own) are passed to the command.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
source "$here/config.sh"

vnc_port= snapshot=on
while [ $# -gt 0 ]; do
  case $1 in
  --vnc) vnc_port=$2 && shift 2 ;;
  --writable) snapshot=off && shift ;;
  *) break ;;
  esac
done
[ $# -gt 0 ] || {
  echo "usage: $0 [--vnc PORT] [--writable] COMMAND [ARG...]" >&2
  exit 2
}
case $top in
*[[:space:]]*)
  echo "guest: the project path '$top' holds a space, which the guest's kernel command line cannot carry" >&2
  exit 2
  ;;
esac
for f in "$GUEST_BOOT/vmlinuz" "$GUEST_BOOT/initrd.img" "$GUEST_DISK"; do
  [ -f "$f" ] || {
    echo "guest: $f is missing; build the guest with scripts/guest/build.sh" >&2
    exit 2
  }
done
command -v qemu-system-x86_64 >/dev/null || {
  echo "guest: qemu-system-x86_64 is missing; run scripts/install-deps.sh" >&2
  exit 2
}

# The job: a script in the shared folder that the guest's init runs.
mkdir -p "$top/build/guest"
job=$(mktemp -d "$top/build/guest/job.XXXXXX")
workdir=$PWD
[[ $workdir == "$top" || $workdir == "$top"/* ]] || workdir=$top
{
  echo "cd $(printf '%q' "$workdir") || exit 125"
  while IFS='=' read -r name _; do
    [[ $name == MORVINT_GUEST* ]] || echo "export $name=$(printf '%q' "${!name}")"
  done < <(env | grep -E '^MORVINT_[A-Z0-9_]*=' || true)
  printf 'exec'
  printf ' %q' "$@"
  echo
} >"$job/job.sh"
: >"$job/output"

net=(-nic none)
[ -z "$vnc_port" ] || net=(-nic "user,model=virtio-net-pci,restrict=on,hostfwd=tcp:127.0.0.1:$vnc_port-:5900")

qemu_pid=
stop_guest() {
  [ -z "$qemu_pid" ] || kill "$qemu_pid" 2>/dev/null || true
}
trap stop_guest EXIT
trap 'stop_guest; exit 130' INT TERM

timeout -k 10 "$GUEST_TIMEOUT" qemu-system-x86_64 \
  -accel tcg,thread=multi -cpu "$GUEST_CPU" -smp "$(nproc)" -m "$GUEST_MEMORY" \
  -display none -monitor none -serial "file:$job/console.log" -no-reboot "${net[@]}" \
  -kernel "$GUEST_BOOT/vmlinuz" -initrd "$GUEST_BOOT/initrd.img" \
  -append "root=/dev/vda rw console=ttyS0 quiet panic=-1 init=/sbin/morvint-init morvint.share=$top morvint.job=$job morvint.cache=$GUEST_SHARE_CACHE" \
  -drive "file=$GUEST_DISK,if=virtio,format=raw,snapshot=$snapshot" \
  -virtfs "local,path=$top,mount_tag=project,security_model=none,id=project" \
  >"$job/qemu.log" 2>&1 &
qemu_pid=$!
tail -n +1 -F --pid="$qemu_pid" "$job/output" 2>/dev/null &
tail_pid=$!
status=0
wait "$qemu_pid" || status=$?
qemu_pid=
wait "$tail_pid" 2>/dev/null || true

if [ -f "$job/rc" ]; then
  rc=$(cat "$job/rc")
  rm -rf "$job"
  exit "$rc"
fi
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "guest: stopped after the time limit of $GUEST_TIMEOUT s (MORVINT_GUEST_TIMEOUT); the command did not finish" >&2
else
  echo "guest: the guest stopped (status $status) before the command finished" >&2
fi
echo "guest: last lines of its console ($job/console.log) and of qemu:" >&2
tail -n 15 "$job/console.log" "$job/qemu.log" >&2 2>/dev/null || true
exit 125
