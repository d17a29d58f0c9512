# bash completion for qvmctl: subcommands, options and the values they list, read from the
# program's own `--help` and `SUBCOMMAND --help`, so it follows the installed version.

# Prints one line per entry of a help text: KIND<TAB>NAME<TAB>ARGUMENT<TAB>CHOICES, where KIND
# is sub, opt or pos, ARGUMENT is flag, file or value, and CHOICES the values it lists.
_qvmctl_help_entries() {
  "$@" --help 2> /dev/null | awk '
    function choices(type, text) {
      if (match(type, /\{[^}]*\}/)) {
        text = substr(type, RSTART + 1, RLENGTH - 2)
        gsub(/,/, " ", text)
        return text
      }
      sub(/.*: /, "", text)
      gsub(/ or /, ", ", text)
      if (text !~ /^[a-z0-9+-]+((, |\|)[a-z0-9+-]+)+$/) return ""
      gsub(/, |\|/, " ", text)
      return text
    }
    function argument(type, listed) {
      if (type == "") return "flag"
      if (type == "TEXT" && listed == "") return "file"
      return "value"
    }
    /^Subcommands:/ { section = "sub"; next }
    /^Positionals:/ { section = "pos"; next }
    /^Options:/ { section = "opt"; next }
    /^[^ ]/ { section = ""; next }
    section == "" || !/^  [^ ]/ { next }
    {
      split(substr($0, 3), column, /  +/)
      count = split(column[1], word, " ")
      type = (count > 1 && word[2] ~ /^[A-Z]+(:|$)/) ? word[2] : ""
      listed = choices(type, column[2])
    }
    section == "sub" { printf "sub\t%s\tflag\t\n", word[1] }
    section == "pos" { printf "pos\t%s\t%s\t%s\n", word[1], argument(type, listed), listed }
    section == "opt" {
      names = split(word[1], name, ",")
      for (i = 1; i <= names; i++) {
        printf "opt\t%s\t%s\t%s\n", name[i], argument(type, listed), listed
      }
    }'
}

_qvmctl() {
  local program="${COMP_WORDS[0]}" cur="${COMP_WORDS[COMP_CWORD]}"
  local global subcommand="" entries i word argument
  global="$(_qvmctl_help_entries "$program")"
  # The subcommand is the first word that is not an option or an option's value.
  for ((i = 1; i < COMP_CWORD; i++)); do
    word="${COMP_WORDS[i]}"
    if [[ "$word" == -* ]]; then
      argument="$(awk -F'\t' -v w="$word" '$1 == "opt" && $2 == w { print $3 }' <<< "$global")"
      [[ -n "$argument" && "$argument" != flag && "$word" != *=* ]] && ((i++))
    elif awk -F'\t' -v w="$word" '$1 == "sub" && $2 == w { found = 1 } END { exit !found }' \
      <<< "$global"; then
      subcommand="$word"
      break
    fi
  done
  entries="$global"
  [[ -n "$subcommand" ]] && entries+=$'\n'"$(_qvmctl_help_entries "$program" "$subcommand")"

  local previous="${COMP_WORDS[COMP_CWORD - 1]}" line
  if ((COMP_CWORD > 1)) && [[ "$previous" == -* ]]; then
    line="$(awk -F'\t' -v w="$previous" '$1 == "opt" && $2 == w { print; exit }' <<< "$entries")"
    case "$(cut -f3 <<< "$line")" in
      file)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
      value)
        mapfile -t COMPREPLY < <(compgen -W "$(cut -f4 <<< "$line")" -- "$cur")
        return
        ;;
    esac
  fi
  if [[ "$cur" == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(awk -F'\t' '$1 == "opt" { print $2 }' <<< "$entries")" \
      -- "$cur")
  elif [[ -z "$subcommand" ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(awk -F'\t' '$1 == "sub" { print $2 }' <<< "$global")" \
      -- "$cur")
  else
    line="$(awk -F'\t' '$1 == "pos" { print; exit }' <<< "$entries")"
    if [[ "$(cut -f3 <<< "$line")" == file ]]; then
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    else
      mapfile -t COMPREPLY < <(compgen -W "$(cut -f4 <<< "$line")" -- "$cur")
    fi
  fi
}

complete -F _qvmctl qvmctl
