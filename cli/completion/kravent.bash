# bash completion for kravent: commands, options, register names (from the tool's own
# register list, so that they always match it) and the commands of `kravent run`.

_kravent_registers() {
    # $1: the access letter a register must have (r read, p pollable, w write).
    kravent help registers 2>/dev/null | awk -v want="$1" \
        'NF >= 2 && $1 ~ /^[A-Z0-9]+$/ && length($2) == 3 && index($2, want) { print $1 }'
}

_kravent() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion || return
    else  # without the bash-completion package
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} cword=$COMP_CWORD
        words=("${COMP_WORDS[@]}")
    fi

    local commands="scan info read dump write run poll step tune autotune set-ip demo help"
    local options="--json --verbose --help --version"

    case $prev in
        --plot)
            if declare -F _filedir >/dev/null; then _filedir svg; else COMPREPLY=($(compgen -f -- "$cur")); fi
            return ;;
        --period | --duration | --target)
            return ;;
    esac

    # The command is the first word that is not an option; the operands follow it.
    local command="" i operands=()
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --period | --duration | --target | --plot | --csv | --listen | --mode | --excursion | --rule) ((i++)) ;;
            -*) ;;
            *) if [[ -z $command ]]; then command=${words[i]}; else operands+=("${words[i]}"); fi ;;
        esac
    done

    if [[ $cur == -* ]]; then
        case $command in
            poll) options+=" --period --duration --plot --reconnect" ;;
            step) options+=" --target --period --duration --plot --csv" ;;
            tune) options+=" --listen --period" ;;
            autotune) options+=" --mode --excursion --rule --apply --save --plot" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi

    # The module's address comes first, unless KRAVENT_MODULE gives it (then a first
    # operand that is not an address is a register already).
    local address_given=""
    if [[ ${#operands[@]} -gt 0 && ${operands[0]} =~ ^[0-9]+(\.[0-9]+){3}$ ]] || [[ -n $KRAVENT_MODULE ]]; then
        address_given=1
    fi

    case $command in
        help)
            [[ ${#operands[@]} -eq 0 ]] && COMPREPLY=($(compgen -W "registers" -- "$cur")) ;;
        read)
            [[ -n $address_given ]] && COMPREPLY=($(compgen -W "$(_kravent_registers r)" -- "${cur^^}")) ;;
        poll)
            [[ -n $address_given ]] && COMPREPLY=($(compgen -W "$(_kravent_registers p)" -- "${cur^^}")) ;;
        write)
            if [[ -n $address_given && $cur != *=* ]]; then
                COMPREPLY=($(compgen -W "$(_kravent_registers w)" -S "=" -- "${cur^^}"))
                compopt -o nospace 2>/dev/null
            fi ;;
        run)
            [[ -n $address_given ]] && COMPREPLY=($(compgen -W "RESETCPU SAVEUSERPARAMETERS RESTOREUSERPARAMETERS \
                RESTOREFACTORYPARAMETERS SAVEFACTORYPARAMETERS HOMING STOPHOMING" -- "${cur^^}")
                $(compgen -W "reset-warnings" -- "${cur,,}")) ;;
        step)
            COMPREPLY=($(compgen -W "--target --period --duration --plot --csv" -- "$cur")) ;;
    esac
} &&
    complete -F _kravent kravent
