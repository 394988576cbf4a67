#pragma once
// The one error the designers raise: a parameter outside the range in which the design
// formulas give finite, stable coefficients. It is raised before anything is changed, so the
// object keeps its previous coefficients.

#include <stdexcept>
#include <string>

namespace vela::dsp {

class DesignError : public std::invalid_argument {
  public:
    explicit DesignError(const std::string& what) : std::invalid_argument(what) {}
};

} // namespace vela::dsp
