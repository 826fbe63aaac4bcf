# The installer's dialogs as Windows windows: gallery.exe shows each of them over the
# main window as the installation will; the driver checks the frame, the client
# size, the placement and the controls as declared, pixels check the pictures, and
# real key presses (xdotool) check the keyboard. Sourced by setup_exe.sh.

# The window with that caption: its client size, its flags and where it stands.
dialog_shown() {  # caption client-width client-height flags centre|designed
  local line ol ot or ob cl ct cr cb
  line=$(driver wait "$1" 20000) || return 1
  echo "$line"
  IFS=, read -r ol ot or ob <<<"$(cut -f5 <<<"$line")"
  IFS=, read -r cl ct cr cb <<<"$(cut -f6 <<<"$line")"
  [ "$((cr - cl))x$((cb - ct))" = "$2x$3" ] || { echo "client area $((cr - cl))x$((cb - ct))"; return 1; }
  [ "$(cut -f7 <<<"$line")" = "$4" ] || { echo "flags $(cut -f7 <<<"$line"), expected $4"; return 1; }
  [ "$5" != centre ] || [ "$ol,$ot" = "$(((1024 - (or - ol)) / 2)),$(((768 - (ob - ot)) / 2))" ] ||
    { echo "not centred"; return 1; }
}

# The client area's top left corner on the screen, as "x y".
client_origin() {  # caption
  driver wait "$1" 5000 | cut -f6 | awk -F, '{ print $1, $2 }'
}

# A picture control shows the image at its place (l,t in the client area).
picture_shown() {  # caption image left top width height opaque|transparent name
  local origin
  origin=$(client_origin "$1") || return 1
  read -r x y <<<"$origin"
  pixels picture "$shots/$8.png" "$2" $((x + $3)) $((y + $4)) "$5" "$6" "$7"
}

# One dialog: its frame, then each control given as "class|text|l,t,w,h|flags".
dialog_scenario() {  # form caption width height flags centre|designed control...
  local form=$1 caption=$2 width=$3 height=$4 flags=$5 placement=$6 want class text rect state
  shift 6
  start_in package gallery.exe "$form"
  # A form without a caption is told from the main window (whose caption is empty
  # too) only once it is up: give a slow machine (an emulated one) time to show it.
  [ -n "$caption" ] || sleep 5
  check "$form: $flags, client area ${width}x${height}, $placement" \
    dialog_shown "$caption" "$width" "$height" "$flags" "$placement"
  for want in "$@"; do
    IFS='|' read -r class text rect state <<<"$want"
    check "$form: $class \"$text\" at $rect, $state" has_control "$caption" "$class" "$text" "$rect" "$state"
  done
  sleep 0.5
  screenshot "$form"
}

end_gallery() {  # form
  check "$1: closing the main window ends the gallery" close_main
}

dialog_scenario TMakeSure "Instalator programu" 453 222 caption,dlgframe,popup centre \
  "InstalatorGroupBox||0,0,453,221|visible" \
  "Button|&Instaluj|8,16,105,93|visible,focus" \
  "Button|&Przerwij|8,116,105,93|visible"
end_gallery TMakeSure

dialog_scenario TSelectDirectory "Wskaż katalog docelowy" 462 208 caption,dlgframe,popup centre \
  "Button|&Instaluj|8,12,105,93|visible,focus" \
  "InstalatorGroupBox|Katalog docelowy|8,116,445,49|visible" \
  "Edit|C:\\MyApp|16,132,408,21|visible" \
  "Button|...|424,132,21,21|visible" \
  "Button|Przerwij instalację|168,176,141,29|visible"
end_gallery TSelectDirectory

dialog_scenario TGrupa "Wskaż grupę dla programu" 461 206 caption,sysmenu,dlgframe,popup centre \
  "Button|&Instaluj|8,12,105,93|visible,focus" \
  "InstalatorGroupBox|Grupa programu|8,116,445,49|visible" \
  "ComboBox||*|visible" \
  "Button|Przerwij instalację|168,176,141,29|visible"
end_gallery TGrupa

dialog_scenario TCopying "Instalacja" 350 125 caption,dlgframe,popup,topmost designed \
  "InstalatorPanel|Kopiuje plik|8,12,101,17|visible" \
  "InstalatorPanel|Setup.lst|112,12,233,17|visible" \
  "msctls_progress32||8,40,333,21|visible" \
  "msctls_progress32||8,68,333,21|visible" \
  "Button|&Przerwij|132,100,93,25|visible,focus"
end_gallery TCopying

dialog_scenario TMessageR "" 425 50 popup centre "InstalatorPanel||0,0,425,50|visible"
end_gallery TMessageR

dialog_scenario TInformations "" 400 256 popup,topmost designed
check "TInformations: Splash1.bmp unscaled, cut at the window, its corner colour transparent" \
  picture_shown "" "$work/Splash1.bmp" 0 0 400 256 transparent TInformations
end_gallery TInformations

dialog_scenario TRestartME "Restart systemu" 443 315 caption,dlgframe,popup centre \
  "Button|Zrestartuj system|172,180,253,21|visible,checked" \
  "Button|Zakończ instalację|172,276,253,25|visible,focus"
check "TRestartME: setup2.bmp stretched over Splash2" \
  picture_shown "Restart systemu" "$work/setup2.bmp" 8 12 149 293 opaque TRestartME
end_gallery TRestartME

dialog_scenario TFinish "Instalacja zakończona" 441 313 caption,dlgframe,popup centre \
  "Button|Uruchom zainstalowaną aplikację|176,176,229,17|visible,unchecked" \
  "Button|Zakończ instalację|172,276,253,25|visible,focus"
check "TFinish: setup2.bmp stretched over Splash2" \
  picture_shown "Instalacja zakończona" "$work/setup2.bmp" 8 12 149 293 opaque TFinish
end_gallery TFinish

# The keyboard, pressed on the X screen as a person would, on TGrupa shown modally
# (its "&Instaluj" closes it with the result OK, 1; its close button with Cancel, 2).
grupa="Wskaż grupę dla programu"
press() { xdotool key --clearmodifiers "$@"; }
focused() {  # class text: the control with the focus
  driver controls "$grupa" | awk -F'\t' -v c="$1" -v t="$2" '$2 == c && $4 == t && $6 ~ /focus/ { f = 1 } END { exit !f }'
}
modal_with_main_disabled() {
  dialog_shown "$grupa" 461 206 caption,sysmenu,dlgframe,popup centre &&
    driver windows gallery.exe | awk -F'\t' '$4 == "Main" && $7 ~ /disabled/ { f = 1 } END { exit !f }'
}
tab_walks() {
  press Tab && sleep 0.5 && focused Edit "" &&
    press shift+Tab && sleep 0.5 && focused Button "&Instaluj"
}
still_open() { press "$2" && sleep 1 && driver wait "$1" 1000 >/dev/null; }  # caption key

start_in package gallery.exe TGrupa modal
check "TGrupa modal: the other windows are disabled" modal_with_main_disabled
check "TGrupa modal: Tab moves to the group field, Shift+Tab back" tab_walks
check "TGrupa modal: Escape does nothing" still_open "$grupa" Escape
check "TGrupa modal: Enter on the focused \"&Instaluj\"" press Return
check "TGrupa modal: ... closes it with OK (the gallery ends with 1)" ends_with 20 1

start_in package gallery.exe TGrupa modal
check "TGrupa modal: shown again" dialog_shown "$grupa" 461 206 caption,sysmenu,dlgframe,popup centre
check "TGrupa modal: Alt+I" press alt+i
check "TGrupa modal: ... presses \"&Instaluj\", which closes it with OK" ends_with 20 1

start_in package gallery.exe TGrupa modal
check "TGrupa modal: shown a third time" dialog_shown "$grupa" 461 206 caption,sysmenu,dlgframe,popup centre
check "TGrupa modal: the close button" driver close "$grupa"
check "TGrupa modal: ... closes it with Cancel (the gallery ends with 2)" ends_with 20 2

start_in package gallery.exe TMakeSure modal
check "TMakeSure modal: shown" dialog_shown "Instalator programu" 453 222 caption,dlgframe,popup centre
check "TMakeSure modal: Alt+F4 does not close a window without a close button" \
  still_open "Instalator programu" alt+F4
kill "$program_pid" 2>/dev/null
