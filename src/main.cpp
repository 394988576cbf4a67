// velaupdate: with no command it opens the window; with one it runs headless.

#include "app/gui_main.h"
#include "app/gui_options.h"
#include "cli/cli_main.h"
#include "platform/arguments.h"

int main(int argc, char** argv) {
    vela::platform::Utf8Arguments arguments(argc, argv);
    if (vela::app::opensWindow(arguments.argc(), arguments.argv()))
        return vela::app::runGui(arguments.argc(), arguments.argv());
    return vela::cli::runCli(arguments.argc(), arguments.argv());
}
