#!/usr/bin/env bash
# The man pages and the bash completion against the programs: disctrove-cli's commands and
# options as its table lists them (the hidden --list-options: the table that also makes its
# --help and its parser), the desktop program's options as its --help names them.
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

# Options start their help line.
help_options() { sed -nE 's/^ +(--[a-z][a-z0-9-]*).*/\1/p' | sort -u; }
# The roff source with its dashes and font changes undone.
plain_roff() { sed -E 's/\\-/-/g; s/\\f[BIRP]//g' "$1"; }
man_options() { plain_roff "$1" | grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u; }

# The desktop program: its man page names the options of its --help, and no other.
gui_help=$("$gui" --help | help_options)
gui_page=$(man_options "$source_dir/share/man/disctrove.1")
[ -n "$gui_help" ] || fail "$gui --help names no options"
[ "$gui_help" = "$gui_page" ] ||
  fail "disctrove.1: $(echo $gui_page) / --help: $(echo $gui_help)"

# disctrove-cli's table: "command" NAME ARGUMENTS and "option" COMMAND|* NAME VALUE lines.
table=$("$cli" --list-options)
field() { awk -F'\t' -v kind="$1" -v n="$2" '$1 == kind { print $n }' <<<"$table"; }
commands=$(field command 2)
[ "$(echo "$commands" | wc -l)" -ge 6 ] || fail "too few commands in the table: $commands"
options_of() {  # COMMAND|*: its options, sorted
  awk -F'\t' -v c="$1" '$1 == "option" && $2 == c { print $3 }' <<<"$table" | sort -u
}
all_options=$(field option 3 | sort -u)

# --help names the table's options (it is made from the table).
[ "$("$cli" --help | help_options)" = "$all_options" ] ||
  fail "disctrove-cli --help: $("$cli" --help | help_options | xargs) / table: $(echo $all_options)"

# The man page: the options it names anywhere are the table's; each command has an entry with
# the table's arguments; the OPTIONS section and each command's entry name that part's options;
# an option's own entry (.B/.BI/.BR --option " VALUE") gives the table's value.
page=$source_dir/share/man/disctrove-cli.1
[ "$(man_options "$page")" = "$all_options" ] ||
  fail "disctrove-cli.1 names: $(man_options "$page" | xargs) / table: $(echo $all_options)"
# PART <TAB> what: PART is * in OPTIONS, the command in its entry under COMMANDS; what is
# "named" OPTION, "entry" OPTION VALUE, or "command" ARGUMENTS.
man_parts=$(plain_roff "$page" | awk -v list="$commands" '
  BEGIN { n = split(list, names, "\n"); for (i = 1; i <= n; i++) known[names[i]] = 1 }
  /^\.SH / { part = ($2 == "OPTIONS") ? "*" : ""; listing = ($2 == "COMMANDS"); next }
  listing && /^\.B[IR]? / && ($2 in known) {
    part = $2; line = $0; gsub(/"/, "", line); sub(/^\.B[IR]? +[a-z]+ */, "", line)
    print part "\tcommand\t" line
  }
  part != "" && /^\.B[IR]? --/ {
    value = $0; sub(/^\.B[IR]? --[a-z0-9-]+ */, "", value); gsub(/"/, "", value); sub(/^ +/, "", value)
    print part "\tentry\t" $2 "\t" value
  }
  part != "" {
    line = $0
    while (match(line, /--[a-z][a-z0-9-]*[a-z0-9]/)) {
      print part "\tnamed\t" substr(line, RSTART, RLENGTH); line = substr(line, RSTART + RLENGTH)
    }
  }')
for part in '*' $commands; do
  named=$(awk -F'\t' -v p="$part" '$1 == p && $2 == "named" { print $3 }' <<<"$man_parts" | sort -u)
  [ "$named" = "$(options_of "$part")" ] ||
    fail "disctrove-cli.1, $part: names $(echo $named) / table: $(options_of "$part" | xargs)"
done
for command in $commands; do
  arguments=$(awk -F'\t' -v c="$command" '$1 == "command" && $2 == c { print $3 }' <<<"$table")
  entry=$(awk -F'\t' -v c="$command" '$1 == c && $2 == "command" { print $3 }' <<<"$man_parts")
  [ "$entry" = "$arguments" ] ||
    fail "disctrove-cli.1: the entry of $command: \"$entry\" / table: \"$arguments\""
done
while IFS=$'\t' read -r part _ option value; do
  wanted=$(awk -F'\t' -v c="$part" -v o="$option" '$1 == "option" && $2 == c && $3 == o { print $4 }' \
    <<<"$table")
  [ "$value" = "$wanted" ] ||
    fail "disctrove-cli.1, $part: $option \"$value\" / table: \"$wanted\""
done < <(awk -F'\t' '$2 == "entry"' <<<"$man_parts")

# The completion: the commands; for "--" after each command the options of every command and
# its own; an option's choices; and which options take a value (the word after one is no
# command).
completion=$source_dir/share/bash-completion/completions/disctrove-cli
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _disctrove_cli
           printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" disctrove-cli "$@" | sort -u
}
bash -c "source '$completion'; complete -p disctrove-cli" | grep -q -- '-F _disctrove_cli' ||
  fail "the completion does not register for disctrove-cli"
[ "$(complete_words "")" = "$(echo "$commands" | sort -u)" ] ||
  fail "completed commands: $(complete_words "" | xargs) / table: $(echo $commands)"
for command in $commands; do
  expected=$(printf '%s\n' $(options_of '*') $(options_of "$command") | sort -u)
  offered=$(complete_words "$command" --)
  [ "$offered" = "$expected" ] ||
    fail "completion after $command: $(echo $offered) / table: $(echo $expected)"
done
while IFS=$'\t' read -r _ command option value; do
  [[ $value == *"|"* ]] || continue
  offered=$(complete_words "$command" "$option" "")
  [ "$offered" = "$(tr '|' '\n' <<<"$value" | sort -u)" ] ||
    fail "completion of $command $option: $(echo $offered) / table: $value"
done < <(grep '^option' <<<"$table")
own_rip=$(printf '%s\n' $(options_of '*') $(options_of rip) | sort -u)
takes_value=$(awk -F'\t' '$1 == "option" && $4 != "" { print $3 }' <<<"$table" | sort -u)
for option in $all_options; do
  if grep -qx -- "$option" <<<"$takes_value"; then
    words=("$option" value rip --)
  else
    words=("$option" rip --)
  fi
  [ "$(complete_words "${words[@]}")" = "$own_rip" ] ||
    fail "completion after ${words[*]}: $(complete_words "${words[@]}" | xargs)"
done
[ $status -eq 0 ] && echo "man pages and completion follow the table of disctrove-cli"
exit $status
