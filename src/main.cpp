// velaupdate: with no command it opens the window; with one it runs headless.

#include "app/gui_main.h"
#include "cli/cli_main.h"

int main(int argc, char** argv) {
    if (argc <= 1) return vela::runGui(argc, argv);
    return vela::cli::runCli(argc, argv);
}
