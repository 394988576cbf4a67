# Writes the man page of velaupdate from its own --help texts: the general one, then every
# command's, so the page never drifts from what the program says.
# Run as: cmake -DVELA=... -DHELP2MAN=... -DVERSION=... -DOUT=velaupdate.1.gz -P man_page.cmake
execute_process(COMMAND "${VELA}" --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "velaupdate --help failed")
endif()

# The command names are the first words of the lines between "Commands:" and the blank line.
string(REGEX MATCH "Commands:\n(.*)\n\n" block "${help}")
string(REGEX MATCHALL "\n  ([a-z-]+)" names "\n${CMAKE_MATCH_1}")
get_filename_component(dir "${OUT}" DIRECTORY)
set(include "${dir}/velaupdate.h2m")
set(text "[SYNOPSIS]\n.B velaupdate\n[\\fIoptions\\fR] \\fICOMMAND\\fR [\\fIarguments\\fR]\n.br\n.B velaupdate\n(opens the window)\n[COMMANDS]\n")
foreach(match IN LISTS names)
  string(STRIP "${match}" name)
  execute_process(COMMAND "${VELA}" ${name} --help OUTPUT_VARIABLE command_help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "velaupdate ${name} --help failed")
  endif()
  # The global options close every command's help; the page lists them once.
  string(FIND "${command_help}" "Global options:" global)
  if(global GREATER -1)
    string(SUBSTRING "${command_help}" 0 ${global} command_help)
  endif()
  # Roff: a leading dot or quote would start a request; backslashes escape.
  string(REPLACE "\\" "\\e" command_help "${command_help}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" command_help "${command_help}")
  string(STRIP "${command_help}" command_help)
  string(APPEND text ".SS ${name}\n.nf\n${command_help}\n.fi\n")
endforeach()
string(APPEND text "[FILES]\n"
  ".TP\n.I <prefix>/share/velaupdate/libraries\n"
  "The factory library of every cabinet model (MODEL.HLB), used when the current directory has none.\n"
  ".TP\n.I <prefix>/share/velaupdate/presets\n"
  "The preset files the factory libraries were built from, one folder per model.\n"
  ".TP\n.I /usr/lib/udev/rules.d/70-velaupdate.rules\n"
  "Gives the logged-in user the FTDI USB-serial bridge and keeps ModemManager off it.\n")
file(WRITE "${include}" "${text}")

set(page "${dir}/velaupdate.1")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
          "${HELP2MAN}" --no-info --no-discard-stderr --section=1 --version-string=${VERSION}
          "--name=load loudspeaker presets and the DSP operating system into the HALDA40"
          --include=${include} --output=${page} "${VELA}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "help2man failed")
endif()
execute_process(COMMAND gzip -9 -n -f "${page}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip of the man page failed")
endif()
