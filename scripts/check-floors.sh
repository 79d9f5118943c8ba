#!/usr/bin/env bash
# Checks that the program's folders include one another downward only:
#   app/      the window procedure, start-up, the context menu: wires everything; nothing includes it
#   dialogs/  the options and version dialogs
#   timers/   decides and reports; asks the shell only through timers/timer_shell.h
#   shell/    tray icon, balloons, looks, alarm, auto-close
#   programs/ program timer files and their editors
#   display/  the read-out, its colours and font, the window's form and layer
#   common/   settings, timer state, worker-to-window requests, dialog helpers, late libraries
#   res/      resource ids
# A folder may include itself and the folders listed for it. Prints each include that breaks
# the rule and exits 1 when there is one.
set -u
cd "$(dirname "${BASH_SOURCE[0]}")/.."

declare -A allowed=(
    [res]=""
    [common]="res"
    [display]="common res"
    [programs]="display common res"
    [shell]="display common res"
    [timers]="programs common res"
    [dialogs]="display common res"
    [app]="dialogs timers shell programs display common res"
)

status=0
for folder in "${!allowed[@]}"; do
    for file in "$folder"/*.cpp "$folder"/*.h; do
        [ -e "$file" ] || continue
        while IFS= read -r included; do
            target="${included%%/*}"
            [ "$target" = "$included" ] && continue   # a system or same-folder name
            [ "$target" = "$folder" ] && continue
            case " ${allowed[$folder]} " in
                *" $target "*) ;;
                *) echo "$file includes $included: $folder/ may include only: ${allowed[$folder]:-nothing}"; status=1 ;;
            esac
        done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    done
done
[ $status = 0 ] && echo "every include runs downward"
exit $status
