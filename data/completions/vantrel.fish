# fish completion for vantrel: commands, capture options and their values, setting names and
# values. Keep the lists in step with `vantrel --help`; the install test checks them against it.

set -l commands capture settings mcp demo doctor help
complete -c vantrel -f
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -a capture -d 'Capture a window or an area with its accessibility tree'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -a settings -d 'Show or change the capture settings'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -a mcp -d 'Serve coding agents over the Model Context Protocol'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -a demo -d 'Capture the built-in demo desktop'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -a doctor -d 'Tell why captures would fail or come back thin'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -a help -d 'Print the usage'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -l help -d 'Print the usage'
complete -c vantrel -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version and the build'

# vantrel capture
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l scene -r -F -d 'Capture the simulated desktop in FILE'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l mode -x -a 'bundle screenshot tree' -d 'Capture mode for this run'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l region -x -d 'Area X,Y,W,H in bottom-left screen space'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l at -x -d 'Capture point X,Y in bottom-left screen space'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l front-window -d 'Start from the front window'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l json -d 'Print one JSON object'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l pasteboard-out -r -F -d 'Also write the pasteboard items to FILE'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l no-clipboard -d 'Leave the clipboard as it is'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l top-left -d 'Read --region and --at in top-left screen space'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l ask -x -d 'Let the user choose on the overlay, showing PROMPT'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l pick-window -d 'With --ask, a click picks a window'
complete -c vantrel -n '__fish_seen_subcommand_from capture' -l via-app -d 'Let the running app capture, when it runs'

# vantrel mcp
complete -c vantrel -n '__fish_seen_subcommand_from mcp' -l scene -r -F -d 'Serve captures of the simulated desktop in FILE'

# vantrel doctor
complete -c vantrel -n '__fish_seen_subcommand_from doctor' -l json -d 'Print one JSON object'

# vantrel settings NAME VALUE
set -l names mode agent pasteboard-format bundle-format
complete -c vantrel -n "__fish_seen_subcommand_from settings; and not __fish_seen_subcommand_from $names" -a "$names"
complete -c vantrel -n '__fish_seen_subcommand_from settings; and __fish_seen_subcommand_from mode' -a 'bundle screenshot tree'
complete -c vantrel -n '__fish_seen_subcommand_from settings; and __fish_seen_subcommand_from agent' -a 'cursor claudeCode codex'
complete -c vantrel -n '__fish_seen_subcommand_from settings; and __fish_seen_subcommand_from pasteboard-format' -a 'claudeCodeV1 claudeCodeV2 experimentA experimentB cursorV1 cursorV2 legacyFileOnly'
complete -c vantrel -n '__fish_seen_subcommand_from settings; and __fish_seen_subcommand_from bundle-format' -a 'stable experimental'
