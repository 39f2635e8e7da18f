# Shared by the scripts of tests/install: failing with a message, checking
# that a tool is there, and a scratch directory removed at exit.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# need COMMAND PACKAGE: fails, naming the Debian package, when COMMAND is
# missing. A missing tool is a failure, never a skipped test.
need() {
  command -v "$1" >/dev/null ||
    fail "$1 is not installed; install the Debian package $2 (scripts/setup.sh does)"
}

# Sets $scratch to a fresh directory that goes away when the script ends.
make_scratch() {
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/keymend-install-test.XXXXXX") || fail "mktemp"
  trap 'rm -rf "$scratch"' EXIT
}

# expect_status WANT COMMAND...: runs COMMAND with its output in $out and
# $err, and fails unless it exits WANT.
expect_status() {
  local want=$1 status=0
  shift
  out=$("$@" 2>"$scratch/err") || status=$?
  err=$(<"$scratch/err")
  ((status == want)) ||
    fail "$* exited $status, not $want; stdout: $out; stderr: $err"
}
