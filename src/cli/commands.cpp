#include "cli/commands.h"

namespace vela::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"load-all", "load a model's presets into every memory and update the DSP operating system",
         "usage: velaupdate load-all [--model NAME | --library FILE.HLB] [--backup] [--verify]\n"
         "                          [--repeat [--count N]] [--firmware FILE] [--force] [--json]\n"
         "Connects to the unit, opens the model's library and writes its program k into memory k,\n"
         "then updates the DSP Operating System. Before writing it names the library file (its full\n"
         "path) and its programs, and warns when a file in the current directory hides the installed\n"
         "library of that name; at the end it names the memories that keep their programs.\n"
         "Without --model the unit's own model is used when it reports one. Library files are looked\n"
         "for in the current directory, then beside the program (build/libraries) and in its installed\n"
         "data directory.\n"
         "  --model NAME       a cabinet model of velaupdate models (case and blanks do not matter)\n"
         "  --library FILE     a library file instead of the model's\n"
         "  --backup           before writing, read back the memories the run overwrites and save them\n"
         "                     as velaupdate backup does (in the backups folder); when they cannot be\n"
         "                     read or saved nothing is written\n"
         "  --verify           read every written memory back and compare it with the library\n"
         "  --repeat           update one cabinet after another: at a terminal press Enter for the\n"
         "                     next; on a USB bridge unplugging one cabinet and plugging the next is\n"
         "                     enough. Ctrl-C stops. Counts the units done and failed.\n"
         "  --count N          with --repeat, stop after N cabinets\n"
         "  --firmware FILE    the DSP operating system text to send instead of the built-in one\n"
         "  --force            send the built-in stand-in operating system to a real unit\n"
         "  --service-code C   the service code, which frees the model list of a unit whose model code\n"
         "                     locked it, so that another model's presets or library can go in\n"
         "  --json             one JSON object (with --repeat one per cabinet, a line each)\n"
         "The memories are written over USB or Ethernet; over the serial line nothing is sent.\n"
         "Ctrl-C lets the memory being written finish and stops before the next one, saying what was\n"
         "written; during the DSP Operating System it warns and goes on; a second Ctrl-C stops at once.\n"
         "Exit code 0 only when every program and the operating system were sent.\n",
         {"model", "library", "backup", "verify", "repeat", "count", "firmware", "force", "json", "service-code"},
         runLoadAll},
        {"backup", "save the unit's programs in a library file",
         "usage: velaupdate backup [--out FILE.HLB [--force]] [--memories 1-13] [--json]\n"
         "Reads every memory (or those named) back from the unit over USB or Ethernet and saves them as\n"
         "a library file, memory k as program k, which library show lists, with its SHA-256 beside it\n"
         "in FILE.HLB.sha256 (as sha256sum writes it). A memory that reads back empty, and one that\n"
         "was not asked for, is kept as a program of length 0 (no bytes), which restore leaves alone.\n"
         "Without --out the file goes to the backups folder beside the run logs\n"
         "({backups}), named by the date\n"
         "and time, the unit's model, the link and the cabinet's address; a backup never replaces\n"
         "another (a second one of the same name gets -2, -3...). Nothing is saved when a memory\n"
         "cannot be read.\n"
         "  --out FILE         save here; an existing file is refused\n"
         "  --force            with --out, replace an existing file\n"
         "  --memories LIST    memory numbers: 1-13, 3, 1,4-6\n",
         {"out", "memories", "json", "force"}, runBackup},
        {"restore", "write the programs of a backup back into the unit",
         "usage: velaupdate restore FILE.HLB [--memories LIST] [--service-code C] [--verify] [--yes]\n"
         "                         [--json]\n"
         "Writes each program of the backup into the memory it came from (command 3). It first reads\n"
         "the memories back and asks once, saying how many differ (\"Restore 13 memories from\n"
         "venue.HLB? 5 differ from the cabinet, 8 are the same\"; --yes answers Yes); memories that\n"
         "already hold the backup's program, and those kept empty in the backup, are left alone and\n"
         "named. The operating system is not touched. A unit whose model code locked its model list\n"
         "takes back only its own model's programs, as with load-all: another model's backup is\n"
         "refused (exit 2) unless the service code is given. A file that is not a library, holds\n"
         "more than 13 programs, a program that is not a whole 3570-byte image or programs of\n"
         "different model codes, or that its checksum file (FILE.HLB.sha256) disagrees with, is\n"
         "refused before anything is sent (exit 3); a missing checksum file is a warning. A backup\n"
         "that holds no program restores nothing (exit 3).\n"
         "  --memories LIST    only these memories of the backup\n"
         "  --service-code C   frees the model list of a unit whose model code locked it\n"
         "  --verify           read every restored memory back and compare it with the backup\n",
         {"memories", "verify", "json", "service-code"}, runRestore},
        {"compare", "compare the unit's programs with a backup",
         "usage: velaupdate compare FILE.HLB [--memories LIST] [--json]\n"
         "Reads the unit's memories back (1 to the backup's count, or those named) and says for each\n"
         "\"same\", \"differs\" with the first differing byte and the program's name on each side (also\n"
         "when one side is empty), or \"empty\" when both are empty. The file is checked as restore\n"
         "checks it. Exit 0 when every memory is the same, 1 otherwise.\n"
         "  --memories LIST    only these memories\n",
         {"memories", "json"}, runCompare},
        {"models", "list the cabinet models and their library files",
         "usage: velaupdate models [--json]\n"
         "Lists the catalogue: model code, name, library file and manual file.\n",
         {"json"}, runModels},
        {"library", "show a library file, or build one from preset files",
         "usage: velaupdate library show FILE.HLB [--json]\n"
         "       velaupdate library build --out FILE.HLB [--model NAME] PRESET.hdp...\n"
         "show: the number of programs, the model code they carry and, per program, its memory,\n"
         "length and name; a backup's empty memory (a program of length 0) shows as (empty), and\n"
         "the first line says how many memories were empty.\n"
         "build: reads up to 13 preset files in order (program 1 first), generates each one's DSP\n"
         "data block and saves the library; nothing is saved when a preset file is refused.\n"
         "The output is never one of the preset files, and an existing file that is not a library\n"
         "is replaced only with --force.\n"
         "  --model NAME       the cabinet model the library is for: every program carries its model\n"
         "                     code (byte 4), so a unit loaded with it reports the model when read back.\n"
         "                     Without it a program carries code 1 (no model).\n",
         {"json", "out", "force", "model"}, runLibrary},
        {"devices", "list the FTDI bridges and serial ports found",
         "usage: velaupdate devices [--json]\n"
         "Lists the FTDI USB-serial bridges (device index 0 is the first) and the serial ports of this machine.\n",
         {"json"}, runDevices},
        {"probe", "check that a HALDA40 answers and, over USB or Ethernet, read its program back",
         "usage: velaupdate probe [--json]\n"
         "Over USB runs the connection step: opens and configures the bridge, sends the probe exchange\n"
         "(command 0), reads the current memory back and reports the model code it carries (a code of 2\n"
         "or more locks the model list to that catalogue row). Over Ethernet the probe exchange and the\n"
         "same read-back follow; over serial the probe exchange only. Exit 0 when the unit answers and\n"
         "its memory is read, 1 when it does not (the reason is named).\n",
         {"json"}, runProbe},
        {"read", "read a program memory back from the unit",
         "usage: velaupdate read MEMORY [--out FILE] [--json]\n"
         "Reads memory MEMORY (1..13) back (a read request, command 4, then the unit sends the program)\n"
         "and prints its length, model code (byte 4) and program name (bytes 12 to 51).\n"
         "  --out FILE   also save the bytes read, as received\n",
         {"out", "json", "force"}, runRead},
        {"write", "write a program image into a memory and make it current",
         "usage: velaupdate write MEMORY --image FILE [--yes]\n"
         "       velaupdate write MEMORY --preset FILE.hdp [--yes]\n"
         "Writes the program image in FILE (a 2-byte big-endian length L, then L bytes, as a library\n"
         "entry holds it) into memory MEMORY (command 3), then makes that memory current (command 7).\n"
         "With --preset the image is generated from the preset file (as preset image does).\n"
         "Asks \"The memory N have a preset stored. Do you want to overwrite it?\"; --yes answers Yes\n"
         "and shows the question with that answer. Says what it wrote: the file, its length and the\n"
         "program name.\n",
         {"image", "preset"}, runWrite},
        {"change", "make a memory the unit's current program",
         "usage: velaupdate change MEMORY [--yes]\n"
         "Loads memory MEMORY (1..13) in the unit (command 7), after the question unless --yes.\n",
         {}, runChange},
        {"copy-all", "write one program image into all 13 memories",
         "usage: velaupdate copy-all --image FILE\n"
         "       velaupdate copy-all --preset FILE.hdp\n"
         "Writes the program image in FILE (or the one generated from the preset file) into memories\n"
         "1 to 13 in turn (command 3), over USB or the serial line. Stops at the first memory that\n"
         "fails. Says what it wrote: the file, its length and the program name.\n",
         {"image", "preset"}, runCopyAll},
        {"reset", "reset the unit's DSP",
         "usage: velaupdate reset [--yes]\n"
         "Resets the DSP (command 8) after \"Do you want to RESET the DSP?\" unless --yes.\n",
         {}, runReset},
        {"update-dsp", "replace the unit's DSP operating system",
         "usage: velaupdate update-dsp [--firmware FILE] [--force] [--yes]\n"
         "Writes the 7680-byte DSP operating system as program 15 (command 1) in 64-byte blocks, then\n"
         "resets the DSP (command 8). Asks the warning question unless --yes.\n"
         "  --firmware FILE  the operating system as text: 1536 lines of five \"0xHH, \" groups (the last\n"
         "                   line is not sent); default: the text built into this program\n"
         "  --force          send a stand-in text to a unit that is not the simulated one. The text built\n"
         "                   from these sources is a labelled stand-in until the maker drops in the real\n"
         "                   one, and a stand-in would leave a real unit without a working program.\n",
         {"firmware", "force"}, runUpdateDsp},
        {"lock", "lock the unit's keyboard",
         "usage: velaupdate lock [--yes]\n"
         "Sends the keyboard lock (command 5, data byte 0xFF) over USB or the serial line, after\n"
         "\"Do you want to LOCK the Keyboard?\" unless --yes.\n",
         {}, runLock},
        {"unlock", "unlock the unit's keyboard",
         "usage: velaupdate unlock [--yes]\n"
         "Sends the keyboard unlock (command 5, data byte 0x00) over USB or the serial line, after\n"
         "\"Do you want to UNLOCK the Keyboard?\" unless --yes.\n",
         {}, runUnlock},
        {"password", "set the unit's password",
         "usage: velaupdate password CODE\n"
         "Sends the password (command 6, seven data bytes) over USB or the serial line. CODE is one to\n"
         "seven printable ASCII characters, sent as their character codes; a shorter code is padded\n"
         "with zero bytes to seven.\n",
         {}, runPassword},
        {"only-change", "let the unit's keyboard only change memories",
         "usage: velaupdate only-change [--yes]\n"
         "Activates only-change-memory-from-keyboard mode (command 20, data byte 0xFF) over USB or the\n"
         "serial line, after the question unless --yes.\n",
         {}, runOnlyChange},
        {"realtime", "send one real-time parameter value",
         "usage: velaupdate realtime --address A --value V [--target T] [--json]\n"
         "Switches real-time mode on and sends one type-2 frame 65 12 T 02, A (2 bytes), V (4 bytes,\n"
         "signed), 55, big-endian, without an answer; prints the frame sent.\n"
         "  --address A  0..65535      --value V  a signed 32-bit number      --target T  1 (default) or 2\n",
         {"address", "value", "target", "json"}, runRealtime},
        {"sim", "run the simulated HALDA40 until interrupted",
         simHelp(),
         {"pty", "tcp", "udp", "module", "memory-dir", "model-code", "empty", "protect", "baud", "fault", "trace",
          "rig", "rig-models", "rig-fault"}, runSim},
        {"design", "run a filter, crossover or dynamics designer and print what it computes",
         "usage: velaupdate design biquad --type CODE [--gain DB] [--freq HZ] [--q Q]\n"
         "                                [--response] [--json]\n"
         "       velaupdate design crossover --alignment A [--order N] [--freq HZ]\n"
         "                                   [--section HZ:Q]... [--response] [--json]\n"
         "       velaupdate design dynamics [--threshold DB] [--ratio R] [--knee DB] [--gain DB]\n"
         "                                  [--compressor] [--bypass] [--gate K] [--ramp G] [--peak]\n"
         "                                  [--json]\n"
         "Runs a designer at 48000 Hz without a unit and prints its results; numbers carry 17\n"
         "significant digits. Frequencies outside 0 < f < 24000 Hz, Q <= 0, a compressor ratio <= 0\n"
         "or an order outside 1..8 are refused (exit code 2).\n"
         "\n"
         "biquad: a new section (gain 0 dB, 1000 Hz, Q 0.707) redesigned as type CODE, the stored\n"
         "  type code or its name (\"Parametric Q const\"), as preset show prints it: 0 Bypass, 1 Parametric Q adap, 17 Parametric Q const, 2/3 Shelv Low/High 6dB,\n"
         "  18/19 Shelv Low/High 12dB, 15/16 Shelv Low/High 12dB + Q (Q is the slope), 4/5\n"
         "  LowPass/HiPass Buttw, 10/11 LowPass/HiPass Q, 6 BandPass, 7 StopBand, 8 AllPass 1,\n"
         "  9 AllPass 2. Prints B0, B1, B2, A1, A2 (A1 and A2 stored negated:\n"
         "  y = B0 x + B1 x1 + B2 x2 + A1 y1 + A2 y2), FilterType and Gain.\n"
         "crossover: one edge. Alignment by number or name, as preset show prints it: 0 bypass,\n"
         "  1/2 Butterworth low/high-pass, 3/4 L-Riley, 5/6 Bessel, 7/8 custom (each section from its own --section HZ:Q,\n"
         "  section 1 first); order 1..8 (default 4); frequency default 1000 Hz. Prints the edge's\n"
         "  Order (Linkwitz-Riley raises an odd one), Frequency, SectionCount and sections 1 to 4\n"
         "  (coefficients, Frequency, Q, FilterType). A Bessel low-pass above its maximum cutoff\n"
         "  shows \"Maximum Bessel Cutoff = ...\" and is designed at that maximum.\n"
         "dynamics: an RMS object (--peak: a peak object) with the defaults of New (limiter,\n"
         "  threshold -6 dB, ratio 2, knee 4 dB, gate off), changed by the options: --knee is\n"
         "  ShapeDb, --gain CurveGainDb, --gate the gate position 0..33, --ramp its ramp length.\n"
         "  Prints the 33-entry gain table (input -96 to 0 dB in 3 dB steps) and the power check.\n"
         "--response adds the magnitude (dB) and phase (radians) on the 401-point response grid\n"
         "(20 to 23999 Hz).\n"
         "--json prints one object: biquad B0, B1, B2, A1, A2, FilterType, Gain; crossover\n"
         "Alignment, Order, Frequency, SectionCount, Sections, Message (only when shown); dynamics\n"
         "GainTable, Report and the power figures; Response {Frequency, Magnitude, Phase}.\n",
         {"json", "type", "gain", "freq", "q", "response", "alignment", "order", "section", "threshold",
          "ratio", "knee", "compressor", "bypass", "gate", "ramp", "peak"},
         runDesign},
        {"preset", "make, show, edit, plot a preset file or turn it into a program image",
         presetHelp(),
         {"out", "json", "keys", "force", "layout", "measured", "target", "range", "keep", "max-boost", "magnitude-only"}, runPreset},
        {"designer", "open the preset designer window on a preset file",
         "usage: velaupdate designer [FILE.hdp] [--usb[=DEVICE] | --sim | --ethernet=HOST[:PORT]]\n"
         "Opens the \"Preset Designer\" window on FILE (New's defaults without one): every parameter\n"
         "of the preset, per output a live response with a handle per equaliser band (drag: frequency\n"
         "and gain, wheel: Q), undo and redo, New, Open, Save and Save As. Its \"Connect\" reaches the\n"
         "unit the link options name, reads it back and shows no installer window; \"Real time\" then\n"
         "offers to write the window's preset first and sends every change to the unit as it is made.\n"
         "Closing the window ends the program. Needs a display.\n",
         {}, runDesigner},
        {"import", "read a measurement export file onto the 400-point response grid", importHelp(),
         {"format", "reference", "sensitivity", "json"}, runImport},
        {"ethernet", "find and configure the unit's Ethernet module; open the TCP link to it",
         "usage: velaupdate ethernet scan --model NAME [--broadcast ADDR] [--port PORT] [--json]\n"
         "       velaupdate ethernet set-ip --id ID --ip A.B.C.D [--broadcast ADDR] [--port PORT] [--model NAME]\n"
         "       velaupdate ethernet set-name --ip ADDR --name NAME [--port PORT] [--model NAME --broadcast ADDR]\n"
         "       velaupdate ethernet identify --ip ADDR [--port PORT]\n"
         "       velaupdate ethernet connect --ip ADDR [--tcp-port PORT] [--name NAME] [--model NAME] [--json]\n"
         "Talks to the unit's Ethernet module over UDP, port 65535 unless --port.\n"
         "scan      sends the discover datagram to the broadcast address and, after 3 seconds, lists the\n"
         "          modules that report the model NAME (case and blanks do not matter, as for load-all):\n"
         "          IP, host name, model and device id. --json: a list of objects with the keys IP, Name, Model,\n"
         "          DeviceId. At most 101 modules are listed; a module that answers twice is listed twice.\n"
         "set-ip    asks the module with device id ID (as scan lists it) to take the address A.B.C.D\n"
         "          (A, B, C 0..255, D 1..254); the request goes to the broadcast address. With --model\n"
         "          a new scan follows and its list is printed.\n"
         "set-name  gives the module at ADDR the host name NAME (1 to 8 characters, sent in upper\n"
         "          case). With --model a new scan follows.\n"
         "identify  makes the module at ADDR blink its Ethernet LEDs; no answer is expected.\n"
         "connect   opens the TCP link to the module at ADDR (port 1001 unless --tcp-port) and probes\n"
         "          the unit over it; NAME names the module in the messages (default: ADDR). With\n"
         "          --model the library of that catalogue model is opened once connected and named\n"
         "          with its number of programs (JSON keys Library, Programs).\n"
         "--broadcast ADDR  where scan and set-ip send. Default: the broadcast address of every IPv4\n"
         "          network interface that is up, one datagram each; when none is found, the first three\n"
         "          numbers of this computer's IPv4 address followed by .255. With the simulated module\n"
         "          (velaupdate sim --udp PORT --module ...) use --broadcast 127.0.0.1 --port PORT.\n"
         "connect, identify and set-name send no broadcast: where a network blocks broadcasts, a\n"
         "          module whose address is known is reached with connect --ip ADDR.\n"
         "set-ip and set-name wait at most 3 seconds for the module's answer; exit code 1 when it\n"
         "refuses or does not answer, or when connect fails.\n",
         {"model", "broadcast", "port", "json", "id", "ip", "name", "tcp-port"}, runEthernet},
        {"rig", "find every cabinet of a networked rig, read back what each one is, and load them all at once",
         "usage: velaupdate rig scan [--model NAME] [--broadcast ADDR] [--port PORT] [--tcp-port PORT]\n"
         "                           [--scan-time MS] [--json]\n"
         "       velaupdate rig load [--model NAME | --model auto] [--ethernet HOST[:PORT]]...\n"
         "                           [--addresses FILE] [--broadcast ADDR] [--port PORT] [--tcp-port PORT]\n"
         "                           [--scan-time MS] [--backup] [--verify] [--jobs N] [--json]\n"
         "scan      sends the discover datagram (to UDP port 65535 unless --port) and keeps every module\n"
         "          that answers within 3 seconds (--scan-time), of every model unless --model NAME (the\n"
         "          model the module reports, matched as ethernet scan matches it). Then it connects to\n"
         "          every cabinet at once over TCP (port 1001 unless --tcp-port) and reads its unit back\n"
         "          as a USB connection does. One row per cabinet, by address: host name, IP, device id,\n"
         "          the model its module reports, the model lock (locked: the unit carries a model code\n"
         "          and takes another model's programs only with the service code) and what the unit\n"
         "          says it is: a catalogue model, \"no model of this catalogue\" (a model code the\n"
         "          catalogue lacks), \"no model\" (programs without a model code), \"empty\" (no\n"
         "          program), or \"not read: \" and why. A module that answers twice is listed once.\n"
         "          --json: a list of objects with the keys Name, IP, DeviceId, ModuleModel, Model\n"
         "          (null when not read), ModelCode (null when none), Locked and, when not read, Reason.\n"
         "          Exit code 0 when at least one cabinet was found and every one was read, 1 otherwise.\n"
         "load      loads every cabinet the scan finds (as rig scan finds them, with the same options),\n"
         "          or only those named by --ethernet (repeatable) and by the lines of --addresses FILE\n"
         "          (HOST[:PORT] a line; blank lines and # comments are left out), all at the same time,\n"
         "          one TCP link each, as load-all loads one: identified, judged by its model lock,\n"
         "          written, its DSP Operating System updated and, with --verify, read back.\n"
         "  --model auto       (the default) each cabinet gets its own model's library, by the model\n"
         "                     code it reports; a cabinet that reports none is skipped with the reason\n"
         "  --model NAME       that model's library for every cabinet, and the scan keeps the modules\n"
         "                     of that model and the blank cabinets (the unit reports no model, the\n"
         "                     module no other model); a cabinet locked to another model takes it\n"
         "                     only with --service-code\n"
         "  --service-code C   frees the model list of the locked cabinets\n"
         "  --backup           before writing, save what each cabinet's run overwrites\n"
         "  --verify           read every written memory back and compare it with the library\n"
         "  --jobs N           load at most N cabinets at once (default: all)\n"
         "  --firmware FILE    the DSP operating system text to send instead of the built-in one\n"
         "  --force            send the built-in stand-in operating system to real units\n"
         "  --json             one JSON object per cabinet, then a summary object, a line each\n"
         "          At a terminal one line per cabinet shows its phase, memory n of N and a bar; without\n"
         "          one a line per cabinet and phase. At the end a table says per cabinet what was\n"
         "          written, whether the operating system was updated, the read-back and the time; a\n"
         "          cabinet that failed never stops the others. Ctrl-C stops every cabinet after its\n"
         "          current exchange. The run log has a section per cabinet. Exit code 0 only when every\n"
         "          cabinet completed, 1 otherwise (also when the scan found none).\n"
         "--broadcast ADDR  where the scan goes; default: as ethernet scan. With the simulated rig\n"
         "          (velaupdate sim --rig N --udp PORT) use --broadcast 127.0.0.1 --port PORT and\n"
         "          --tcp-port with the port it prints.\n",
         {"model", "broadcast", "port", "tcp-port", "scan-time", "json", "addresses", "backup", "verify", "jobs",
          "firmware", "force", "service-code"},
         runRig},
        {"check-update", "ask the update server whether a newer version is published",
         "usage: velaupdate check-update [--url URL] [--download] [--yes] [--json]\n"
         "       velaupdate check-update --at-start on|off|show\n"
         "Fetches URL/updates/version.txt from the update server and says whether the version it\n"
         "publishes is newer than this one (1.9.0.0).\n"
         "  --url URL   the update server, http:// or https://. Default: the environment variable\n"
         "              VELAUPDATE_UPDATE_SERVER, else http://updates.tessera.example, a reserved\n"
         "              name that no server answers: set the maker's server there.\n"
         "  --download  when newer, asks \"There is a newer version. Do you wish to install it?\" and\n"
         "              on yes downloads URL/updates/TESSERAUPDATER.EXE as TESSERA-Update.exe into a\n"
         "              new directory under the temporary directory that only you can open, and\n"
         "              prints where. A failed or incomplete download is removed, and so is one whose\n"
         "              SHA-256 differs from URL/updates/TESSERAUPDATER.EXE.sha256 when the server\n"
         "              publishes that file. The download ends, with its reason, after 15 seconds\n"
         "              without data or 10 minutes in all; Ctrl-C stops it and removes it.\n"
         "  --json      {\"version\", \"published\", \"newer\", \"saved\"} on standard output\n"
         "Without network the check gives up within 15 seconds. Exit code 1 when the server cannot\n"
         "be reached, its version text is not valid or the download fails; 4 when it is declined.\n"
         "The window checks by itself when it opens, in the background, where VELAUPDATE_UPDATE_SERVER\n"
         "names the server (without it the window checks nothing and says no update server is set),\n"
         "unless switched off there, with --at-start off (the same setting, kept in\n"
         "{settings}), or by the environment variable\n"
         "VELAUPDATE_NO_UPDATE_CHECK=1; --at-start show says which.\n",
         {"url", "download", "json", "at-start"}, runCheckUpdate},
    };
    return table;
}

}  // namespace vela::cli
