# Sourced by scripts/demo.sh: what the sample settings say each demo window should look
# like, worked out from the staged Lumivane.rc the way the plug-in reads it, and followed
# through the events of the story.

#   load_rules FILE              reads the settings (again, after a reconfigure)
#   pick_rule WINDOWS_PATH       prints "RULE LEVEL SOURCE" for an executable
#   add_window ID EXE [KEY]      a window of STAGE\EXE, optionally with its own colour key
#   switch_on / switch_off / window_created ID / foreground_changed ID /
#   move_started ID / move_ended ID
#                                follow what the plug-in does on each of these
#   expected_look ID             ALPHA or ALPHA/RRGGBB, as window_looks.exe takes it

declare -A setting      # lower-case key without the "lumivane.plugin." prefix -> value
declare -A exe_of rule_of level_of source_of key_of alpha_of
windows=() effect_on=0 focus_level=255

load_rules() {
  setting=()
  local key value
  # "key: value" lines; # and ! start comments; keys ignore case; the last line wins.
  while IFS=$'\t' read -r key value; do setting[$key]=$value; done < <(awk '
    { sub(/\r$/, "") } /^[ \t]*[#!]/ { next }
    (colon = index($0, ":")) {
      key = tolower(substr($0, 1, colon - 1)); value = substr($0, colon + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", key); gsub(/^[ \t]+|[ \t]+$/, "", value)
      if (key ~ /^lumivane\.plugin\./) print substr(key, 17) "\t" value
    }' "$1")
  focus_level=$(level_of_text "${setting[focuslevel]-255}")
  local id
  for id in "${windows[@]}"; do
    read -r rule_of[$id] level_of[$id] source_of[$id] < <(pick_rule "$STAGE\\${exe_of[$id]}")
  done
}

# Upper-cases ASCII letters only, as the plug-in folds names; cuts to a slot's width.
folded() { local text=${1:0:$2}; LC_ALL=C printf '%s' "${text^^}"; }

# Levels are read like atoi and only their low 8 bits count.
level_of_text() { echo $(($(awk -v text="$1" 'BEGIN { printf "%d", text + 0 }') & 255)); }

pick_rule() {
  local path i fragment rule && path=$(folded "$1" 259)
  for i in $(seq 0 49); do
    fragment=$(folded "${setting[exclude$i]-}" 9)
    [ -z "$fragment" ] || [[ $path != *"$fragment"* ]] || { echo "excluded 255 exclude$i" && return; }
  done
  for i in $(seq 0 49); do
    fragment=$(folded "${setting[appname$i]-}" 9)
    [ -z "$fragment" ] || [[ $path != *"$fragment"* ]] || { rule=$(folded "${setting[rule$i]-}" 9) &&
      echo "${rule:-none} $(level_of_text "${setting[level$i]-255}") entry$i" && return; }
  done
  rule=$(folded "${setting[global]-}" 11)
  echo "${rule:-none} $(level_of_text "${setting[globallevel]-255}") global"
}

add_window() {
  local id=$1
  windows+=("$id") && exe_of[$id]=$2 key_of[$id]=${3:-} alpha_of[$id]=255
  read -r rule_of[$id] level_of[$id] source_of[$id] < <(pick_rule "$STAGE\\$2")
}

# ALWAYS windows take their level whenever the effect is switched on.
switch_on() {
  local id
  effect_on=1
  for id in "${windows[@]}"; do [ "${rule_of[$id]}" != ALWAYS ] || alpha_of[$id]=${level_of[$id]}; done
}

# Every window is restored; a colour key of the window's own stays.
switch_off() {
  local id
  effect_on=0
  for id in "${windows[@]}"; do alpha_of[$id]=255; done
}

# What a rule does to window $1 when it appears, is picked up or is let go.
takes_level_if() { [ "$effect_on" = 1 ] && [ "${rule_of[$2]}" = "$1" ] || return 0; alpha_of[$2]=${3:-${level_of[$2]}}; }
window_created() { takes_level_if ALWAYS "$1"; }
move_started() { takes_level_if MOVING "$1"; }
move_ended() { takes_level_if MOVING "$1" 255; }

# Every FOCUS window takes its level, except the one in front, which takes the focus level.
foreground_changed() {
  [ "$effect_on" = 1 ] || return 0
  local id
  for id in "${windows[@]}"; do
    [ "${rule_of[$id]}" != FOCUS ] || alpha_of[$id]=$([ "$id" = "$1" ] && echo "$focus_level" || echo "${level_of[$id]}")
  done
}


expected_look() { echo "${alpha_of[$1]}${key_of[$1]:+/${key_of[$1]}}"; }

# How a table names a window's rule: "ALWAYS 180 (entry0)", "FOCUS 220 (global)", ...
rule_text() {
  case ${rule_of[$1]} in
  excluded) echo "excluded (${source_of[$1]})" ;;
  none) echo "none (${source_of[$1]})" ;;
  *) echo "${rule_of[$1]} ${level_of[$1]} (${source_of[$1]})" ;;
  esac
}

# The lines a sample window shows under its name.
rule_lines() {
  case ${rule_of[$1]} in
  ALWAYS) echo "rule ALWAYS, level ${level_of[$1]}|translucent from the moment it appears" ;;
  FOCUS) echo "rule FOCUS, level ${level_of[$1]}|translucent while it is not in front" ;;
  MOVING) echo "rule MOVING, level ${level_of[$1]}|translucent while it is being moved" ;;
  excluded) echo "excluded, never touched" ;;
  *) echo "no rule: left alone" ;;
  esac
}
