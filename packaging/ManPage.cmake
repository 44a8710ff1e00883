# Writes a man page (section 1) from a program's --help text.
# cmake -DPROGRAM=<path> -DNAME=<name> -DSUMMARY=<one line> -DVERSION=<v> -DOUT=<file> -P ManPage.cmake
execute_process(COMMAND "${PROGRAM}" --help
  OUTPUT_VARIABLE help ERROR_QUIET RESULT_VARIABLE result)
if(help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help printed nothing (${result})")
endif()
string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
# roff: a backslash is written \e; a line may not start with a control character.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" upper)
file(WRITE "${OUT}" ".TH ${upper} 1 \"\" \"Orlaventis ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}.fi
.SH FILES
.TP
.I share/orlaventis/
The content of the reference work, beside the program's \\fIbin/\\fR folder.
.TP
.I $XDG_CONFIG_HOME/orlaventis/registry.ini
Optional settings, in the group [HKEY_LOCAL_MACHINE\\eSoftware\\eOrlaventis]: HelpAddress (the help page),
PublisherAddress and MakerAddress (the sites the About box opens; without them it opens none),
FillScreen=1, Kiosk=MINUTES and KioskExitKeys (for instance Ctrl+Shift+Q, the keys that end kiosk mode).
")
