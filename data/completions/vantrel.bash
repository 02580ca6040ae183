# bash completion for vantrel: commands, capture options and their values, setting names and
# values. Keep the lists in step with `vantrel --help`; the install test checks them against it.

_vantrel() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} words=
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        words='capture settings mcp demo doctor help --help --version'
    elif [[ ${COMP_WORDS[1]} == capture ]]; then
        case $prev in
        --scene | --pasteboard-out)
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --mode) words='bundle screenshot tree' ;;
        --region | --at | --ask) return ;; # numbers or free text: nothing to offer
        *)
            words='--scene --mode --region --at --front-window --json --pasteboard-out'
            words+=' --no-clipboard --top-left --ask --pick-window --via-app'
            ;;
        esac
    elif [[ ${COMP_WORDS[1]} == mcp ]]; then
        if [[ $prev == --scene ]]; then
            compopt -o filenames 2>/dev/null || true
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
        fi
        words='--scene'
    elif [[ ${COMP_WORDS[1]} == doctor ]]; then
        ((COMP_CWORD == 2)) && words='--json'
    elif [[ ${COMP_WORDS[1]} == settings ]]; then
        if ((COMP_CWORD == 2)); then
            words='mode agent pasteboard-format bundle-format'
        elif ((COMP_CWORD == 3)); then
            case $prev in
            mode) words='bundle screenshot tree' ;;
            agent) words='cursor claudeCode codex' ;;
            pasteboard-format)
                words='claudeCodeV1 claudeCodeV2 experimentA experimentB cursorV1 cursorV2'
                words+=' legacyFileOnly'
                ;;
            bundle-format) words='stable experimental' ;;
            esac
        fi
    fi
    mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _vantrel vantrel
