#pragma once
// The transfer function of an output as the unit runs it: its equaliser bands and crossover
// sections with the coefficients the program image carries (the 28-bit words, not the
// designed doubles), its level and polarity word and its delay in whole samples, at any
// frequencies. The plot, the command line and the fitter all take it from here.

#include "preset/preset_parameters.h"

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace vela {

using Response = std::vector<std::complex<double>>;

// The value the unit reads back from the word the image carries for x.
double imageCoefficient(double x);

// One section at each frequency, from its image coefficients.
Response sectionResponse(const dsp::TSOS& section, std::span<const double> hz, std::int32_t sampleRate);
// Multiplies `into` by the section's response, point by point.
void applySection(const dsp::TSOS& section, std::span<const double> hz, std::int32_t sampleRate,
                  Response& into);

// One output: the equaliser's eight bands, the crossover's two edges (every section the image
// carries) and their product with the output's gain word (level, polarity and mute) and its
// delay. The input delay, common to both outputs, is left out.
struct OutputTransfer {
    Response equaliser, crossover, total;
};
OutputTransfer outputTransfer(const PresetParameters& p, int output, std::span<const double> hz,
                              std::int32_t sampleRate);

// The output's gain word and delay alone.
std::complex<double> outputLevel(const PresetParameters& p, int output);
Response delayResponse(std::int32_t samples, std::span<const double> hz, std::int32_t sampleRate);

// Magnitude in dB (a silent point gives -inf) and phase in radians of a response.
double levelDb(std::complex<double> h);

} // namespace vela
