# bash completion for qorv-cli                             -*- shell-script -*-
# SPDX-License-Identifier: MIT
# Copyright 2026 Quorvex developers <info@example.com>
#
# Self-contained: it needs nothing from the bash-completion package, so it
# also works when sourced on its own.
#
# A new option goes into `options` below; one that takes a value also gets
# a branch in _qorv_cli_value. The tests fail until every option qorv-cli
# declares is here, with the words its value may be.

_qorv_cli()
{
    local -a options=(
        --project --save-project
        --mask --index
        --root-changefreq --root-priority --changefreq --priority
        --long --zone --compact
        --exclude --no-exclude --obey-robots --no-obey-robots --robots-agent
        --skip-noindex --no-skip-noindex --skip-redirects --no-skip-redirects
        --use-canonical --no-use-canonical
        --include
        --schema --encode-non-ascii --no-encode-non-ascii --split --no-split
        --gzip --no-gzip --robots --no-robots
        --hreflang --no-hreflang --stylesheet --write-stylesheet --no-write-stylesheet
        --drop-extension --no-drop-extension
        --lastmod --lastmod-memory
        --list --left-out --threads --quiet
        --help --version
    )

    local cur=${COMP_WORDS[COMP_CWORD]}
    local value i word pending='' optionsEnded='' operands=0
    COMPREPLY=()

    # With "=" in COMP_WORDBREAKS (the default), bash splits "--zone=+02"
    # into the three words "--zone", "=" and "+02".
    if [[ $cur == = ]] && _qorv_cli_value "${COMP_WORDS[COMP_CWORD - 1]}"; then
        _qorv_cli_complete_value ""
        return 0
    fi
    if ((COMP_CWORD >= 2)) && [[ ${COMP_WORDS[COMP_CWORD - 1]} == = ]]; then
        _qorv_cli_value "${COMP_WORDS[COMP_CWORD - 2]}" && _qorv_cli_complete_value "$cur"
        return 0
    fi
    if [[ $cur == --*=* ]]; then
        # Without "=" in COMP_WORDBREAKS the word stays whole, and so must
        # what replaces it.
        _qorv_cli_value "${cur%%=*}" && _qorv_cli_complete_value "${cur#*=}"
        COMPREPLY=("${COMPREPLY[@]/#/${cur%%=*}=}")
        return 0
    fi

    # The words before this one, read as qorv-cli reads them: an option that
    # takes a value takes the next word, whatever it is; "--" ends the options.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -n $pending ]]; then
            pending=
        elif [[ -n $optionsEnded || $word != --* ]]; then
            ((operands++))
        elif [[ $word == -- ]]; then
            optionsEnded=1
        elif [[ ${COMP_WORDS[i + 1]} == = ]]; then
            ((i += 2))
        elif _qorv_cli_value "$word"; then
            pending=$word
        fi
    done

    if [[ -n $pending ]]; then
        _qorv_cli_value "$pending"
        _qorv_cli_complete_value "$cur"
    elif [[ -z $optionsEnded && $cur == --* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
    elif ((operands == 0)); then
        # FOLDER; the URL after it is the user's to type.
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    fi
    return 0
}

# Sets `value` to how the value of option $1 is completed: "<file>", "<text>"
# (nothing to offer) or the words it may be. Fails when $1 takes no value.
_qorv_cli_value()
{
    case $1 in
        --project | --save-project | --lastmod-memory) value="<file>" ;;
        --mask | --index | --stylesheet | --exclude | --robots-agent | --threads) value="<text>" ;;
        --root-changefreq | --changefreq)
            value="none always hourly daily weekly monthly yearly never" ;;
        --root-priority | --priority)
            value="none 0.0 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1.0" ;;
        --zone)
            value="-12:00 -11:00 -10:00 -09:00 -08:00 -07:00 -06:00 -05:00 -04:00
                   -03:00 -02:00 -01:00 +00:00 +01:00 +02:00 +03:00 +04:00 +05:00
                   +06:00 +07:00 +08:00 +09:00 +10:00 +11:00 +12:00
                   automaticky auto" ;;
        --include) value="all none" ;;
        --schema) value="0.84 0.9" ;;
        --lastmod) value="file git content none" ;;
        *) return 1 ;;
    esac
}

# Fills COMPREPLY with what `value` offers that begins with $1.
_qorv_cli_complete_value()
{
    case $value in
        "<text>") COMPREPLY=() ;;
        "<file>")
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$1")
            ;;
        *) mapfile -t COMPREPLY < <(compgen -W "$value" -- "$1") ;;
    esac
}

complete -F _qorv_cli qorv-cli
