#include "preset/new_preset.h"

#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/output_procedures.h"

namespace vela {

void MainWindowDefaults(PresetContext& ctx) {
    ctx.state.RealTimeTarget = 1;
    for (int out = 0; out < kOutputs; ++out) SetInputRoute(ctx.p, out, 0);
}

void SystemInfoReset(PresetParameters& p) {
    p.SystemInfo.SystemName.set(p.MainSystemName);
    p.SystemInfo.ProjectName.set({});
    p.SystemInfo.EngineerLabel.set({});
    p.SystemInfo.Comments.set({});
}

void SetSystemName(PresetParameters& p, const std::string& name) {
    p.SystemInfo.SystemName.set(name);
    // The two copies stay equal; the System-Info field's limit applies to both.
    p.MainSystemName = p.SystemInfo.SystemName.text();
}

void ResetPreset(PresetContext& ctx) {
    PresetParameters& p = ctx.p;
    PresetProgress progress{ctx.ui};
    progress.show("Initializing " + p.OpenDialogFileName);
    progress.step(10, "Gains...");
    ctx.ui.pump(4);
    ctx.state.NewCancelled = false;
    ctx.state.RealTimeMode = false;

    progress.step(10, "Main...");
    MainWindowDefaults(ctx);
    ctx.ui.pump(4);
    OutputDefaults(ctx);
    progress.step(20, "Crossover...");
    CrossoverDefaults(ctx);
    progress.step(30, "Equalization...");
    EqualiserDefaults(ctx);
    progress.step(40, "Dynamics...");
    RmsDynamicsDefaults(ctx);
    PeakDynamicsDefaults(ctx);
    progress.step(50, "Delays...");
    DelayDefaults(ctx);
    progress.step(60, "Loudness...");
    LoudnessDefaults(ctx);
    progress.step(70, "System Info...");
    SystemInfoReset(p);
    progress.step(80, "Names...");
    SetSystemName(p, kDefaultSystemName);
    p.InputRoute = {-1, -1};
    progress.step(90, "Import Data...");
    p.Import.path = {};
    p.Import.ReferenceLevel.setValue(kDefaultReferenceLevel);
    RunImport(p.Import, p.Grid.frequencies(), {p.Import.Sensitivity.value(), p.PresetFolder}, ctx.ui);
    progress.step(100, "DONE...");
    ctx.ui.pump(4);
    p.FineDelay = {0, 0};
    p.FineDelayMs = {0.0, 0.0};
    p.SpeakerDistance = {0, 0};
    DistanceUpdate(ctx);
    progress.hide();
}

bool startNewPreset(PresetContext& ctx, const std::function<void()>& save) {
    const Answer a = ctx.ui.message(MessageKind::Warning, Buttons::YesNoCancel,
                                    "Do you want to save the present configuration?");
    if (a == Answer::Cancel) {
        ctx.state.NewCancelled = true;
        return false;
    }
    if (a == Answer::Yes && save) save();
    ResetPreset(ctx);
    return true;
}

}  // namespace vela
