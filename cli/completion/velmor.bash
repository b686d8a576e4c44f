# Bash completion for velmor. The commands and options are read from the program's own --help
# (the "Subcommands:" and "Options:" sections of the command typed so far), so the completion
# follows whatever the installed velmor offers and never needs updating by hand.

_velmor_help_words() {
  # $1: the program, then the command words typed so far; prints "sub" or "opt" lines.
  "$@" --help 2>/dev/null | awk '
    /^Subcommands:/ { section = "sub"; next }
    /^Options:/     { section = "opt"; next }
    /^[^ ]/         { section = "" }
    section == "sub" && /^  [a-z]/ { print "sub " $1 }
    section == "opt" && /^  -/ {
      n = split($1, names, ",")
      for (i = 1; i <= n; i++) if (names[i] ~ /^--/) print "opt " names[i]
    }'
}

_velmor() {
  local cur prev program words_so_far=() i word
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  program=${COMP_WORDS[0]}

  case $prev in
    --data) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --plugin|--taxsim|--file|-o|--output) COMPREPLY=($(compgen -f -- "$cur")); return ;;
  esac

  # The command words typed so far; options and their values are left out.
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    case $word in
      --data|--plugin) ((i++)) ;;
      -*) ;;
      *) words_so_far+=("$word") ;;
    esac
  done

  local lines subs=() opts=() kind name
  lines=$(_velmor_help_words "$program" "${words_so_far[@]}")
  while read -r kind name; do
    [[ $kind == sub ]] && subs+=("$name")
    [[ $kind == opt ]] && opts+=("$name")
  done <<< "$lines"

  if [[ $cur == -* ]]; then
    # The root's options are accepted after a command too.
    if ((${#words_so_far[@]} > 0)); then
      while read -r kind name; do [[ $kind == opt ]] && opts+=("$name"); done <<< "$(_velmor_help_words "$program")"
    fi
    COMPREPLY=($(compgen -W "$(printf '%s\n' "${opts[@]}" | sort -u)" -- "$cur"))
  elif ((${#subs[@]} > 0)); then
    COMPREPLY=($(compgen -W "${subs[*]}" -- "$cur"))
  else
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}

complete -F _velmor velmor
