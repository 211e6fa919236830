# shellcheck shell=bash
# main_window: the X window id of the program's main window on $DISPLAY, or nothing: the
# largest visible window whose title starts with "Quandrelix" (a message box has the same
# caption but is smaller). Sourced by scripts/run.sh and the emulated machine's job.
main_window() {
  local id best='' best_area=0 w h
  for id in $(xdotool search --onlyvisible --name '^Quandrelix' 2>/dev/null); do
    read -r w h < <(xdotool getwindowgeometry --shell "$id" 2>/dev/null |
                    awk -F= '$1 == "WIDTH" {w = $2} $1 == "HEIGHT" {h = $2} END {print w + 0, h + 0}')
    if ((w * h > best_area)); then best=$id best_area=$((w * h)); fi
  done
  echo "$best"
}
