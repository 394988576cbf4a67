#include "cli/commands.h"

namespace vela::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"devices", "list the FTDI bridges and serial ports found",
         "usage: velaupdate devices [--json]\n"
         "Lists the FTDI USB-serial bridges (device index 0 is the first) and the serial ports of this machine.\n",
         {"json"}, runDevices},
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
         "  type code: 0 Bypass, 1 Parametric Q adap, 17 Parametric Q const, 2/3 Shelv Low/High 6dB,\n"
         "  18/19 Shelv Low/High 12dB, 15/16 Shelv Low/High 12dB + Q (Q is the slope), 4/5\n"
         "  LowPass/HiPass Buttw, 10/11 LowPass/HiPass Q, 6 BandPass, 7 StopBand, 8 AllPass 1,\n"
         "  9 AllPass 2. Prints B0, B1, B2, A1, A2 (A1 and A2 stored negated:\n"
         "  y = B0 x + B1 x1 + B2 x2 + A1 y1 + A2 y2), FilterType and Gain.\n"
         "crossover: one edge. Alignment 0 bypass, 1/2 Butterworth low/high-pass, 3/4\n"
         "  Linkwitz-Riley, 5/6 Bessel, 7/8 custom (each section from its own --section HZ:Q,\n"
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
    };
    return table;
}

}  // namespace vela::cli
