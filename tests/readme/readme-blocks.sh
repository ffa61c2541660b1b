# Sourced by the README tests: fail, and block NAME, which prints the
# commands of the README block marked "<!-- readme-test: NAME -->" (its
# indented lines, unindented) from "$src/README.md".

fail() { echo "FAIL: $*" >&2; exit 1; }

block() {
  local text
  text=$(awk -v name="$1" '
    $0 == "<!-- readme-test: " name " -->" { on = 1; started = 0; next }
    on && /^    / { print substr($0, 5); started = 1; next }
    on && /^[[:space:]]*$/ { if (started) on = 0; next }
    on { on = 0 }' "$src/README.md")
  [ -n "$text" ] || fail "README.md has no block marked readme-test: $1"
  printf '%s\n' "$text"
}
