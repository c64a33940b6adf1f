# What tern-flash's --help names, for the tests of the pages and the completion that describe
# it. Sourced by bash scripts.

# The commands of `EXE --help`, one a line.
help_commands() {
    local text
    text=$("$1" --help) || { echo "$1 --help failed" >&2; return 1; }
    awk '/^[^ ].*:$/ { section = $0; next }
         section == "Subcommands:" && /^  [^ ]/ { print $1 }' <<<"$text"
}

# The option names of `EXE [COMMAND] --help` (both spellings of each option), one a line.
help_options() {
    local exe=$1 text
    shift
    text=$("$exe" "$@" --help) || { echo "$exe $* --help failed" >&2; return 1; }
    # An option line starts with its names, "-h,--help" or "--file TEXT", then two spaces
    # before the description.
    awk '/^[^ ].*:$/ { section = $0; next }
         section == "Options:" && /^  -/ {
             sub(/^ +/, ""); sub(/  .*/, "")
             n = split($0, names, ",")
             for (i = 1; i <= n; i++) { split(names[i], word, " "); if (word[1] ~ /^-/) print word[1] }
         }' <<<"$text"
}

# Every option name of the program and of each of its commands, once each.
all_help_options() {
    local exe=$1 command
    {
        help_options "$exe" || return 1
        for command in $(help_commands "$exe"); do
            help_options "$exe" "$command" || return 1
        done
    } | sort -u
}
