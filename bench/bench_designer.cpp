// The Preset Designer's reaction to one change: 1000 random changes of every kind of control
// (numbers, switches, lists, texts) and band-handle drags, each through the procedure, the
// redesign, the controls shown again and everything changed painted (the response plot too). Offscreen; prints the
// median and the 95th percentile per kind and overall. The goal is 16 ms at the 95th
// percentile (60 frames a second while dragging).

#include "app/app_context.h"
#include "app/designer_controls.h"
#include "app/designer_plot.h"
#include "app/designer_window.h"
#include "app/gui_options.h"
#include "app/qt_user_interface.h"
#include "app/session_worker.h"
#include "app/window_set.h"
#include "platform/folders.h"
#include "dsp/number_text.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"
#include "session/session.h"
#include "sim/in_process_unit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(std::min<double>(static_cast<double>(v.size()) - 1, p * static_cast<double>(v.size())))];
}

// A value the control could give: a number on its step within its range, a switch state, one
// of the list's entries, a short text.
std::string randomValue(const vela::Parameter& p, std::mt19937& random) {
    switch (p.kind) {
    case vela::ParameterKind::Number: {
        const double maximum = std::min(p.maximum, p.minimum + 2000.0);  // the powers reach 1e9
        const double steps = std::floor((maximum - p.minimum) / p.step);
        const auto k = static_cast<double>(std::uniform_int_distribution<long>(0, static_cast<long>(steps))(random));
        return vela::dsp::plainText(p.minimum + k * p.step);
    }
    case vela::ParameterKind::Switch: return std::uniform_int_distribution<int>(0, 1)(random) ? "1" : "0";
    case vela::ParameterKind::Choice:
        return p.choices[std::uniform_int_distribution<std::size_t>(0, p.choices.size() - 1)(random)];
    case vela::ParameterKind::Text: return "T" + std::to_string(random() % 1000);
    }
    return {};
}

const char* kindName(vela::ParameterKind k) {
    switch (k) {
    case vela::ParameterKind::Number: return "number";
    case vela::ParameterKind::Switch: return "switch";
    case vela::ParameterKind::Choice: return "list";
    case vela::ParameterKind::Text: return "text";
    }
    return "";
}

void mouse(QWidget& w, QEvent::Type type, QPointF at) {
    QMouseEvent e(type, at, w.mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vela;
    using namespace vela::app;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    vela::platform::provideRuntimeDirectory();
    QApplication application(argc, argv);
    QtUserInterface ui;
    auto unit = std::make_shared<sim::InProcessUnit>(sim::SimOptions{});
    SessionWorker worker([&] { return std::make_unique<Session>(ui, sim::inProcessDevices(unit)); });
    GuiOptions options;
    WindowSet windows;
    PresetDocument document(ui);
    AppContext context{worker, ui, options, &windows, document};
    DesignerWindow window(context);
    window.show();
    QApplication::processEvents();

    // Every parameter the window has a control for; measurement files are read from disk, which
    // is not the window's own time.
    std::vector<const Parameter*> parameters;
    for (const Parameter& p : parameterTable())
        if (window.controls().control(p.key) && !p.key.starts_with("import.")) parameters.push_back(&p);

    std::mt19937 random(18);
    std::map<std::string, std::vector<double>> times;
    std::vector<double> all;
    constexpr int kChanges = 1000;
    for (int i = 0; i < kChanges; ++i) {
        const bool drag = i % 5 == 4;
        const Parameter* p = drag ? nullptr : parameters[random() % parameters.size()];
        const int output = drag ? static_cast<int>(random() % 2) : (p->key.find(".2.") != std::string::npos ? 1 : 0);
        window.Outputs->setCurrentIndex(output);
        ResponseView& plot = window.response(output);
        const int band = static_cast<int>(random() % 8) + 1;
        if (drag) {
            plot.setSelectedBand(band);
            mouse(plot, QEvent::MouseButtonPress, plot.handlePosition(band));
        }
        // The tab the change is on is already shown: a change, not a page, is measured.
        for (int pass = 0; pass < 3; ++pass) QApplication::processEvents();
        const QPointF to(std::uniform_real_distribution<double>(120, plot.width() - 40)(random),
                         std::uniform_real_distribution<double>(60, plot.height() - 120)(random));
        const auto start = Clock::now();
        if (drag)
            mouse(plot, QEvent::MouseMove, to);
        else
            window.controls().set(p->key, randomValue(*p, random));
        // The controls shown again, everything changed painted, the plot redrawn: the passes of
        // the event loop that the change takes.
        for (int pass = 0; pass < 4; ++pass) QApplication::processEvents();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (drag) mouse(plot, QEvent::MouseButtonRelease, to);
        times[drag ? "handle drag" : kindName(p->kind)].push_back(ms);
        all.push_back(ms);
    }
    std::printf("%-12s %7s %9s %9s\n", "change", "count", "median", "p95");
    for (const auto& [kind, t] : times)
        std::printf("%-12s %7zu %6.2f ms %6.2f ms\n", kind.c_str(), t.size(), percentile(t, 0.5), percentile(t, 0.95));
    std::printf("%-12s %7zu %6.2f ms %6.2f ms   (goal: p95 < 16 ms)\n", "all", all.size(), percentile(all, 0.5),
                percentile(all, 0.95));
    window.hide();
    worker.waitIdle(10000);
    return 0;
}
