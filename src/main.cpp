// velaupdate: with no command it opens the window; with one it runs headless.

#include "app/gui_main.h"
#include "app/gui_options.h"
#include "cli/cli_main.h"

int main(int argc, char** argv) {
    if (vela::app::opensWindow(argc, argv)) return vela::app::runGui(argc, argv);
    return vela::cli::runCli(argc, argv);
}
