#pragma once
// The command table of the velaupdate command line.

#include "core/args.h"
#include "session/link_options.h"
#include "cli/counted_output.h"
#include "cli/terminal_ui.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace vela::cli {

struct Context {
    Args& args;
    TerminalUi& ui;
    LinkOptions link;
    CountedOutput& out;  // data and --json
    RunLog* log = nullptr;    // the run's log, for a command that gives each unit a section
};

struct Command {
    const char* name;
    const char* summary;
    const char* help;  // the whole text of "velaupdate NAME --help"
    // Options the command takes besides the global ones.
    std::set<std::string> options;
    int (*run)(Context&);
};

const std::vector<Command>& commands();

// Commands, one function each, grouped by file.
int runDevices(Context& ctx);
// program_commands.cpp
int runProbe(Context& ctx);
int runRead(Context& ctx);
int runWrite(Context& ctx);
int runChange(Context& ctx);
int runCopyAll(Context& ctx);
// unit_control_commands.cpp
int runReset(Context& ctx);
int runUpdateDsp(Context& ctx);
int runLock(Context& ctx);
int runUnlock(Context& ctx);
int runPassword(Context& ctx);
int runOnlyChange(Context& ctx);
int runRealtime(Context& ctx);
// sim_command.cpp
int runSim(Context& ctx);
int runDesign(Context& ctx);
// designer_command.cpp
int runDesigner(Context& ctx);
// preset_command.cpp, import_command.cpp
int runPreset(Context& ctx);
// The whole text of velaupdate preset --help.
const char* presetHelp();
// The help of sim, with the ways to reach the unit this system has.
const char* simHelp();
int runImport(Context& ctx);
// The help of import, with the layout that each format's file must have.
const char* importHelp();
// ethernet_command.cpp
int runEthernet(Context& ctx);
// update_command.cpp
int runCheckUpdate(Context& ctx);
// rig_command.cpp, rig_load_command.cpp
int runRig(Context& ctx);
int runRigLoad(Context& ctx);
// library_commands.cpp
int runModels(Context& ctx);
int runLibrary(Context& ctx);
int runLoadAll(Context& ctx);
// backup_commands.cpp
int runBackup(Context& ctx);
int runRestore(Context& ctx);
int runCompare(Context& ctx);

}  // namespace vela::cli
