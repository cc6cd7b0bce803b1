# Shell routines the project's scripts share: apt with retries, and the probe
# that tells whether this kernel starts 32-bit programs. Sourced, not run.

# Runs a command as root: as it is when this is root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Runs "apt-get update" up to MORVINT_APT_TRIES times (default 4), pausing
# MORVINT_APT_PAUSE seconds (default 15) between tries. A mirror caught
# mid-sync fails one index with "File has unexpected size"; that passes.
# When every try fails, says so and returns 0 anyway: the install that follows
# fails clearly if a package is really missing, and apt_install explains a
# failure that the stale indexes may have caused. Extra arguments go to apt-get
# (a chroot's apt is reached with APT_GET="chroot DIR apt-get").
apt_update_retrying() {
  local tries=${MORVINT_APT_TRIES:-4} pause=${MORVINT_APT_PAUSE:-15} try log
  log=$(mktemp)
  APT_INDEXES_STALE=
  for ((try = 1; try <= tries; try++)); do
    if ${APT_GET:-apt-get} update -qq "$@" >"$log" 2>&1 && ! grep -q '^[EW]: Failed to fetch' "$log"; then
      rm -f "$log"
      return 0
    fi
    echo "apt-get update failed (try $try of $tries):" >&2
    grep -E '^(E|W|Err):' "$log" | head -n 5 >&2 || true
    if ((try < tries)); then sleep "$pause"; fi
  done
  rm -f "$log"
  APT_INDEXES_STALE=1
  echo "apt-get update kept failing; going on with the package indexes as they are." >&2
  return 0
}

# Installs packages without recommendations. On failure, explains the usual
# cause after a failed update: amd64 and i386 halves of one package at
# different versions, because one architecture's index did not update.
apt_install() {
  local log rc=0
  log=$(mktemp)
  DEBIAN_FRONTEND=noninteractive ${APT_GET:-apt-get} install -y -qq --no-install-recommends "$@" >"$log" 2>&1 || rc=$?
  if [ $rc -ne 0 ]; then
    tail -n 20 "$log" >&2
    if grep -q ':i386' "$log" || [ -n "${APT_INDEXES_STALE:-}" ]; then
      cat >&2 <<'MSG'
apt-get install failed. The package indexes did not all update, or the amd64 and
i386 (multiarch) versions of a package differ, which happens when one index of
the mirror (often the security one) is mid-sync. Wait a few minutes, run
"apt-get update" until it reports no errors, then run this command again.
MSG
    fi
  fi
  rm -f "$log"
  return $rc
}

# True when this kernel starts 32-bit x86 programs: runs a 93-byte i386 ELF
# that only calls exit(0). Kernels with IA-32 emulation turned off answer
# "Exec format error", and Wine cannot run on them.
ia32_runs() {
  local probe status=0
  probe=$(mktemp)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}

# True when Windows programs must run in the full-system guest: forced with
# MORVINT_GUEST=1, or because this kernel refuses 32-bit programs.
# MORVINT_GUEST=0 forces the ordinary path.
guest_needed() {
  case ${MORVINT_GUEST:-} in
  1) return 0 ;;
  0) return 1 ;;
  esac
  ! ia32_runs
}

# Says once which path this run takes, and why.
say_test_bed() {
  if [ "${MORVINT_GUEST:-}" = 1 ]; then
    echo "test bed: full-system guest (forced by MORVINT_GUEST=1)"
  elif [ "${MORVINT_GUEST:-}" = 0 ]; then
    echo "test bed: Wine on this machine (forced by MORVINT_GUEST=0)"
  elif ia32_runs; then
    echo "test bed: this kernel runs 32-bit programs; Wine runs here"
  else
    echo "test bed: this kernel refuses 32-bit programs (Exec format error); Wine runs in a full-system guest"
  fi
}
