# What the test scripts share; source it near the top of a script.
#   fail MESSAGE...   counts a failed check and says which, and goes on
#   verdict NAME      ends the script: status 1 when any check failed,
#                     "NAME: ok" otherwise

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

verdict() {
  if [ "$failures" -ne 0 ]; then
    echo "$1: $failures check(s) failed" >&2
    exit 1
  fi
  echo "$1: ok"
  exit 0
}
