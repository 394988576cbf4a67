#pragma once
// Filter types and crossover alignments by name or by their stored number, the same for
// preset set, preset show and design: what show prints, set and design accept.

#include <cstdint>
#include <string>

namespace vela {

// A type of the equaliser list by its text ("Parametric Q const"; case and blanks do not
// matter) or its stored code (17). Throws std::invalid_argument naming `what` and the choices.
std::uint8_t filterTypeCode(const std::string& what, const std::string& value);
// "Parametric Q const (17)"; a code outside the list shows as "unknown (N)".
std::string filterTypeText(std::uint8_t code);

// An alignment 0..8 by its name ("Butterworth low-pass", "L-Riley high-pass"; case and blanks
// do not matter) or its number. Throws std::invalid_argument naming `what` and the choices.
std::uint8_t alignmentCode(const std::string& what, const std::string& value);
// "Butterworth low-pass (1)".
std::string alignmentText(std::uint8_t code);
// The window's short list names ("ButtW", "L-Riley" ...) stand for the edge's alignment:
// low-pass codes are odd, high-pass codes even. Throws when the code belongs to the other edge.
std::uint8_t alignmentCodeForEdge(const std::string& what, const std::string& value, bool lowPassEdge);

}  // namespace vela
