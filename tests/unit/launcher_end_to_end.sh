#!/usr/bin/env bash
# The Linux launcher, renamed and run beside (or without) its settings file.
set -uo pipefail
launcher="$1"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0
check() {  # name, expected exit code, expected stderr text, command...
  local name="$1" code="$2" text="$3"; shift 3
  local err; err=$("$@" 2>&1 >/dev/null); local rc=$?
  if [ "$rc" != "$code" ] || [[ "$err" != *"$text"* ]]; then
    echo "FAIL $name: exit $rc (want $code), stderr: [$err] (want [$text])"; failures=$((failures+1))
  else
    echo "ok   $name"
  fi
}

mkdir -p "$work/My App.d/bin"
app="$work/My App.d/bin/tool"
cp "$launcher" "$app"
ini="$work/My App.d/bin/tool.ini"
check "no settings file is named, 255" 255 "The settings file $ini was not found." env -u LC_ALL -u LC_MESSAGES LANG=C "$app" a b
check "German locale gives the German text" 255 "Die Einstellungsdatei $ini wurde nicht gefunden." env -u LC_MESSAGES LC_ALL=de_DE.UTF-8 "$app"
check "LC_MESSAGES before LANG" 255 "Le fichier de paramètres $ini est introuvable." env -u LC_ALL LC_MESSAGES=fr_FR LANG=de_DE "$app"
check "Spanish" 255 "No se encontró el archivo de configuración $ini." env LC_ALL=es_ES.UTF-8 "$app"
: > "$ini"
check "an empty settings file names itself and the keys" 255 "La clase principal no fue especificada en el archivo INI $ini: indique «Main Class», «Main Module» o «Main Jar»" env LC_ALL=es_ES.UTF-8 "$app"

# The settings file is the executable's name with ".ini"; a dot in a folder never counts.
# A version the launcher cannot read, or a range without a version, stops it before any search.
printf '[Java Runtime Environment]\nMain Class=com.example.App\nMaximum Version=latest\n' > "$work/My App.d/bin/tool.ini"
check "a maximum without digits is named" 255 "“Maximum Version” in [Java Runtime Environment] is not a Java version: “latest”." env LC_ALL=C "$app"
printf '[Java Runtime Environment]\nMain Class=com.example.App\nMinimum Version=26\nMaximum Version=17\n' > "$work/My App.d/bin/tool.ini"
check "an empty range is named with the file" 255 "“Minimum Version” 26 is above “Maximum Version” 17: no Java version fits.
Settings file: $ini" env LC_ALL=C "$app"
printf '[Java Runtime Environment]\nMain Class=com.example.App\n[Application]\nRestart Code=1.5\n' > "$ini"
check "a restart code that is no whole number is named with its range" 255 "„Restart Code“ in [Application] ist keine ganze Zahl von -2147483648 bis 2147483647: „1.5“.
Einstellungsdatei: $ini" env LC_ALL=de_DE.UTF-8 "$app"
# Single instance whose socket folder is not the user's alone: said, and the launch goes on.
mkdir -p "$work/run" && : > "$work/run/jlaunch"
printf '[Java Runtime Environment]\nMain Class=com.example.App\nMinimum Version=99\n[Application]\nSingle Instance=yes\n' > "$work/My App.d/bin/tool.ini"
check "an unsafe socket folder is named, the launch goes on" 255 "Single instance is off: the folder $work/run/jlaunch, where its socket lies, could not be made accessible to this user alone.
The Java Runtime Environment (JRE) was not found." env -u JAVA_HOME XDG_RUNTIME_DIR="$work/run" LC_ALL=C "$app"
printf '[Java Runtime Environment]\nMain Class=com.example.App\nJVM Type=server\nMinimum Version=1.8\nMaximum Version=1.8\n' > "$work/My App.d/bin/tool.ini"
check "the server message names the range" 255 "Please  download and install a JRE with a server JVM (version between 1.8 and 1.8) from:" env -u JAVA_HOME LC_ALL=C "$app"
# With any version, an installed JDK is found and started; without a class
# path the main class cannot be found.
printf '[Java Runtime Environment]\nMain Class=com.example.App\nMaximum Version=any\n' > "$work/My App.d/bin/tool.ini"
check "installed Java found, no class path" 255 "Could not find the main class com.example.App." env -u JAVA_HOME LC_ALL=C "$app"
check "the class path is missing" 255 "Java Class Path was not specified in INI file." env -u JAVA_HOME LC_ALL=C "$app"

# A folder where the settings file should be reads as no settings.
rm "$work/My App.d/bin/tool.ini"; mkdir "$work/My App.d/bin/tool.ini"
check "a folder in place of the settings file" 255 "Main class was not specified in INI file $ini: set" env LC_ALL=C "$app"

# Product names that climb out of the per-user folder give no per-user file:
# a "JRE Path" planted where they would lead is never read.
mkdir -p "$work/cfg" "$work/planted" "$work/bad-jdk/lib/server"
: > "$work/bad-jdk/lib/server/libjvm.so"; : > "$work/bad-jdk/lib/libjava.so"
printf '[Java Runtime Environment]\nJRE Path=%s\n' "$work/bad-jdk" > "$work/planted/tool.ini"
rmdir "$work/My App.d/bin/tool.ini"
printf '[Product Information]\nProduct Name=..\nProduct Code=planted\n[Java Runtime Environment]\nMain Class=com.example.App\nMaximum Version=any\n' > "$work/My App.d/bin/tool.ini"
check "a planted per-user file outside the configuration folder is not read" 255 "Could not find the main class com.example.App." env -u JAVA_HOME LC_ALL=C XDG_CONFIG_HOME="$work/cfg" "$app"
rm "$work/My App.d/bin/tool.ini"; mkdir "$work/My App.d/bin/tool.ini"

# What was opened is checked, not a name checked and then opened: a FIFO or
# an endless device in place of the file never blocks or floods the launch.
rmdir "$work/My App.d/bin/tool.ini"; mkfifo "$work/My App.d/bin/tool.ini"
check "a FIFO in place of the settings file" 255 "Main class was not specified in INI file $ini: set" timeout 20 env LC_ALL=C "$app"
rm "$work/My App.d/bin/tool.ini"; ln -s /dev/zero "$work/My App.d/bin/tool.ini"
check "a link to /dev/zero in place of the settings file" 255 "Main class was not specified in INI file $ini: set" timeout 20 env LC_ALL=C "$app"

# Packed settings are trusted only whole and last: a byte appended after packing
# (a jar appended by hand, a download with junk) is reported, never run as if
# nothing were embedded.
if [ -n "${2:-}" ]; then
  rm -f "$work/My App.d/bin/tool.ini"
  printf '[Product Information]\nUpgrade Code=X\n' > "$work/My App.d/bin/tool.ini"
  printf '[Product Information]\nUpgrade Code=X\n[Java Runtime Environment]\nMain Class=com.example.App\nMaximum Version=any\n' > "$work/packed.ini"
  "$2" --launcher "$launcher" --settings "$work/packed.ini" --out "$app" >/dev/null
  cp "$app" "$work/packed"
  check "packed settings read whole" 255 "Could not find the main class com.example.App." env -u JAVA_HOME LC_ALL=C "$app"
  printf 'x' >> "$app"
  check "one byte appended after packing" 255 "the code is wrong, or the program file is damaged" env LC_ALL=C "$app"
  head -c -100 "$work/packed" > "$app"
  check "cut by 100 bytes" 255 "the code is wrong, or the program file is damaged" env LC_ALL=C "$app"
fi

[ "$failures" = 0 ]
