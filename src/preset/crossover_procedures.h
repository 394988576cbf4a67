#pragma once
// The crossover parameter update: reads an edge's sources, keeps the two edges apart, designs
// the edge, evaluates the output's combined response, sets the labels and sends in real time.
// Every procedure names the output (0 or 1) and the edge it changes; each output has its own
// sources, and an edit redesigns and sends only the edge it changed.

#include "preset/preset_context.h"

#include <string_view>

namespace vela {

enum class CrossoverEdge { HighPass, LowPass };  // the editor's "L" and "H" sides

// The parameter update of one edge of an output, from that edge's sources. In real-time mode
// it sends the edge's four sections.
void CrossoverParameterUpdate(PresetContext& ctx, int output, CrossoverEdge edge);
// The frequency as typed into the edge's spin control. Text that is not a number notes
// "Conversion Error" and the update goes on with the edge's previous frequency.
void CrossoverSetFrequencyText(PresetContext& ctx, int output, CrossoverEdge edge, std::string_view text);
void CrossoverSetFrequency(PresetContext& ctx, int output, CrossoverEdge edge, std::int32_t hz);
void CrossoverSetOrder(PresetContext& ctx, int output, CrossoverEdge edge, std::int32_t order);
void CrossoverSetAlignmentIndex(PresetContext& ctx, int output, CrossoverEdge edge, int listIndex);
// LowPassOff / HighPassOff of an output. The switch decides whether the edges may cross, so
// both edges of the output are updated.
void CrossoverSetOff(PresetContext& ctx, int output, CrossoverEdge edge, bool off);
// The own frequency and Q of a section 1..4 of a custom edge, limited to 10..22000 Hz and
// 0.2..20; the edge is designed again. Throws std::invalid_argument for another section.
void CrossoverSetSection(PresetContext& ctx, int output, CrossoverEdge edge, int section, double hz, double q);

// Loads an output's crossover into its sources and runs the update for both edges.
void LoadCrossoverIntoSources(PresetContext& ctx, int output);
void CrossoverDefaults(PresetContext& ctx);

// The label of an edge: "  -- " for bypass, "   C " for custom, else the whole frequency.
std::string CrossoverLabel(const dsp::TXOVERPB& edge, CrossoverEdge side);

}  // namespace vela
