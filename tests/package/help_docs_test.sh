#!/usr/bin/env bash
# The man pages and the bash completion against the programs' --help: every command and option
# the help names is in the man page and the completion, and the man pages name no other option.
#   help_docs_test.sh CLI GUI SOURCE_DIR
set -euo pipefail
cli=$1
gui=$2
source_dir=$3
status=0
fail() {
  echo "$*"
  status=1
}

# Options start their help line; commands are the Commands: lines indented by two spaces.
help_options() { sed -nE 's/^ +(--[a-z][a-z-]*).*/\1/p' | sort -u; }
# The roff source with its dashes and font changes undone.
man_options() {
  sed -E 's/\\-/-/g; s/\\f[BIRP]//g' "$1" | grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u
}

check_man() {  # PROGRAM MAN_PAGE
  local help page
  help=$("$1" --help | help_options)
  page=$(man_options "$2")
  [ -n "$help" ] || fail "$1 --help names no options"
  local missing extra
  missing=$(comm -23 <(echo "$help") <(echo "$page"))
  extra=$(comm -13 <(echo "$help") <(echo "$page"))
  [ -z "$missing" ] || fail "$(basename "$2"): not in the man page: $missing"
  [ -z "$extra" ] || fail "$(basename "$2"): not in $1 --help: $extra"
}
check_man "$cli" "$source_dir/share/man/disctrove-cli.1"
check_man "$gui" "$source_dir/share/man/disctrove.1"

usage=$("$cli" --help)
commands=$(echo "$usage" | sed -n '/^Commands:/,/^$/p' | sed -nE 's/^  ([a-z]+)( .*)?$/\1/p')
[ "$(echo "$commands" | wc -l)" -ge 6 ] || fail "too few commands in --help: $commands"
for command in $commands; do
  grep -qE "^\.B[IR]? $command( |$)" "$source_dir/share/man/disctrove-cli.1" ||
    fail "disctrove-cli.1: no entry for the command $command"
done

# What the completion offers for "--" after each command: the global options and the ones the
# help lists under that command.
completion=$source_dir/share/bash-completion/completions/disctrove-cli
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _disctrove_cli
           printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" disctrove-cli "$@" | sort -u
}
bash -c "source '$completion'; complete -p disctrove-cli" | grep -q -- '-F _disctrove_cli' ||
  fail "the completion does not register for disctrove-cli"
[ "$(complete_words "")" = "$(echo "$commands" | sort -u)" ] ||
  fail "completed commands: $(complete_words "" | xargs) / help: $(echo $commands)"
global=$(echo "$usage" | sed -n '/^Options:/,/^$/p' | help_options)
for command in $commands; do
  own=$(echo "$usage" | sed -n "/^  $command\\b/,/^  [a-z]/p" | sed -nE 's/^      (--[a-z-]+).*/\1/p')
  expected=$(printf '%s\n' $global $own | sort -u)
  offered=$(complete_words "$command" --)
  [ "$offered" = "$expected" ] ||
    fail "completion after $command: $(echo $offered) / help: $(echo $expected)"
done
# Encoder names as the help spells them.
for command in rip encode; do
  names=$(echo "$usage" | sed -n "/^  $command\\b/,/^  [a-z]/p" |
    sed -nE 's/^ +--encoder ([a-z0-9|]+).*/\1/p' | tr '|' '\n' | sort -u)
  [ "$(complete_words "$command" --encoder "")" = "$names" ] ||
    fail "encoders completed after $command: $(complete_words "$command" --encoder "" | xargs)"
done
[ $status -eq 0 ] && echo "man pages and completion follow --help"
exit $status
