#!/usr/bin/env bash
# The package installation waits while another program holds the package manager's lock, and
# gives up with a clear sentence when it is held too long. apt-get and dpkg-query are stand-ins.
set -u
script="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/dpkg-query" <<'FAKE'
#!/bin/sh
[ "$3" = "cmake" ] && exit 1
echo "install ok installed"
FAKE
cat >"$work/apt-get" <<'FAKE'
#!/bin/bash
n=$(cat "$FAKE_DIR/calls" 2>/dev/null || echo 0)
echo $((n + 1)) >"$FAKE_DIR/calls"
if [ "$n" -lt "$LOCKED_CALLS" ]; then
    echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 1234 (unattended-upgr)" >&2
    exit 100
fi
echo "apt-get $*" >>"$FAKE_DIR/ran"
FAKE
cat >"$work/sudo" <<'FAKE'
#!/bin/sh
exec "$@"
FAKE
chmod +x "$work"/*
failures=0
check() { if ! eval "$2"; then echo "FAIL: $1"; failures=$((failures + 1)); fi; }

run() {
    rm -f "$work/calls" "$work/ran"
    FAKE_DIR="$work" LOCKED_CALLS="$1" KORVANNE_APT_LOCK_POLL=1 KORVANNE_APT_LOCK_WAIT="$2" \
        PATH="$work:$PATH" bash "$script" >"$work/out" 2>"$work/err"
}

# The lock is released after two tries: the installation waits, says so, then goes on.
run 2 30
status=$?
check "waits and installs" '[ $status -eq 0 ]'
check "says it waits" 'grep -q "Another program is installing packages" "$work/out"'
check "says it once" '[ "$(grep -c "Another program" "$work/out")" -eq 1 ]'
check "installs the missing package" 'grep -q "install -y -qq --no-install-recommends cmake" "$work/ran"'
check "no raw lock error" '! grep -q "Could not get lock" "$work/err" "$work/out"'

# The lock stays held: a clear sentence, and a failure status.
run 1000 3
status=$?
check "gives up" '[ $status -ne 0 ]'
check "says why" 'grep -q "still holds the package manager" "$work/err"'
check "nothing installed" '[ ! -e "$work/ran" ]'

[ $failures -eq 0 ] && echo "ensure-deps: all passed"
exit $failures
