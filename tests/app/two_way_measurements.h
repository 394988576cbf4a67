#pragma once
// A two-way cabinet's drivers as a measurement program exports them (FRD: frequency, dB SPL,
// phase in degrees), from minimum-phase models: a woofer in a closed box rolling off at
// 2.5 kHz with a bump at 700 Hz, and a tweeter from 1.5 kHz with a bump at 5 kHz and its
// voice coil 5 cm behind the woofer's.

#include <QFile>
#include <QString>
#include <QTextStream>

#include <cmath>
#include <complex>
#include <numbers>
#include <utility>

namespace vela::test {

namespace two_way {

using C = std::complex<double>;
inline C lowPass2(double hz, double f0, double q) {
    const C s(0, hz / f0);
    return 1.0 / (s * s + s / q + 1.0);
}
inline C highPass2(double hz, double f0, double q) {
    const C s(0, hz / f0);
    return s * s / (s * s + s / q + 1.0);
}
inline C peak(double hz, double f0, double db, double q) {
    const C s(0, hz / f0);
    const double a = std::pow(10.0, db / 40.0);
    return (s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0);
}

// `offAxisHz`: off axis, the driver falls away above it as well (0: on axis).
inline QString write(const QString& file, bool tweeter, double offAxisHz = 0) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return {};
    QTextStream text(&out);
    text << "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    for (double hz = 10; hz <= 24000; hz *= 1.015) {
        const C onAxis = tweeter ? highPass2(hz, 1500, 0.7) * peak(hz, 5000, 3, 2) *
                                  std::polar(1.0, -2 * std::numbers::pi * hz * 0.05 / 343)
                            : highPass2(hz, 60, 0.7) * lowPass2(hz, 2500, 0.7) * peak(hz, 700, 3, 2);
        const C h = offAxisHz > 0 ? onAxis * lowPass2(hz, offAxisHz, 0.6) : onAxis;
        text << hz << " " << 88 + 20 * std::log10(std::abs(h)) << " " << std::arg(h) * 180 / std::numbers::pi
             << "\n";
    }
    return file;
}

}  // namespace two_way

// Writes woofer.frd and tweeter.frd into `dir`; gives their paths.
inline std::pair<QString, QString> writeTwoWay(const QString& dir) {
    return {two_way::write(dir + "/woofer.frd", false), two_way::write(dir + "/tweeter.frd", true)};
}

}  // namespace vela::test
