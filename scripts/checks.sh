# Sourced by the shell checks (the install check, the Windows end-to-end run): a count of passed
# and failed checks, and the two helpers that keep it.
#   check NAME COMMAND...      runs COMMAND; a failure is reported with NAME and counted
#   same EXPECTED ACTUAL       true when the texts are equal, else shows their difference
#   checks_summary [PREFIX]    prints "[PREFIX]N passed, N failed"; false when any failed
failures=0 passed=0
check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name" >&2
    failures=$((failures + 1))
  fi
}
same() {
  [ "$1" = "$2" ] || { diff <(echo "$1") <(echo "$2") >&2; return 1; }
}
checks_summary() {
  echo "${1:-}$passed passed, $failures failed"
  [ "$failures" = 0 ]
}
