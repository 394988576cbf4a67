#include "cli/commands.h"
#include "core/exit_codes.h"
#include "cli/json.h"
#include "link/port_discovery.h"

namespace vela::cli {

int runDevices(Context& ctx) {
    const auto ports = availablePorts();
    if (ctx.args.flag("json")) {
        JsonWriter j(ctx.out);
        j.beginArray();
        for (const auto& p : ports) {
            j.beginObject();
            j.field("path", p.path);
            j.field("description", p.description);
            j.field("serialNumber", p.serialNumber);
            j.field("vendorId", p.vendorId);
            j.field("productId", p.productId);
            j.field("ftdi", p.isFtdi());
            j.endObject();
        }
        j.endArray();
        j.finish();
        return kExitOk;
    }
    int index = 0;
    ctx.out.print("FTDI bridges:\n");
    for (const auto& p : ports)
        if (p.isFtdi())
            ctx.out.print("  %d  %s  %s  %s\n", index++, p.path.c_str(), p.description.c_str(),
                          p.serialNumber.c_str());
    if (index == 0) ctx.out.print("  (none)\n");
    ctx.out.print("Serial ports:\n");
    bool any = false;
    for (const auto& p : ports)
        if (!p.isFtdi()) {
            ctx.out.print("  %s  %s\n", p.path.c_str(), p.description.c_str());
            any = true;
        }
    if (!any) ctx.out.print("  (none)\n");
    return kExitOk;
}

}  // namespace vela::cli
