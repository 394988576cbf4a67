#include "preset/preset_file.h"

#include "core/input_file.h"
#include "dsp/design_error.h"
#include "dsp/number_text.h"
#include "preset/crossover_procedures.h"
#include "preset/dynamics_procedures.h"
#include "preset/equaliser_procedures.h"
#include "preset/new_preset.h"
#include "preset/output_procedures.h"
#include "preset/preset_warnings.h"
#include "platform/utf8_paths.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace vela {
namespace {

constexpr const char* kUnitName = "HALDA40";
constexpr int kPumpsPerStep = 10;

std::int32_t toInt32(double x) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(roundToInt(x), INT32_MIN, INT32_MAX));
}

DynamicsRecord recordOf(const dsp::TDYNAMIC& d) {
    DynamicsRecord r;
    r.ThresholdDb = d.ThresholdDb;
    r.Ratio = d.Ratio;
    r.CurveGainDb = d.CurveGainDb;
    r.TimeConstantCoef = static_cast<float>(d.TimeConstantCoef);
    r.WindowSamples = d.WindowSamples;
    r.RateCode = d.RateCode;
    r.LeadSamples = d.LeadSamples;
    r.AuxSwitch = d.AuxSwitch;
    r.CompressorOn = d.CompressorOn;
    r.ShapeDb = d.ShapeDb;
    r.AmpBridgeMode = d.AmpBridgeMode ? 1 : 0;
    r.AuxFlag = d.AuxFlag ? 1 : 0;
    r.Bypass = d.Bypass ? 1 : 0;
    r.AuxValue = d.AuxValue;
    r.AmpGain = d.AmpGain;
    r.ImpedanceOhm = d.ImpedanceOhm;
    r.BoxPowerW = d.BoxPowerW;
    r.AmpPowerW = d.AmpPowerW;
    r.AuxCount = d.AuxCount;
    return r;
}

void applyDynamics(const DynamicsRecord& r, dsp::TDYNAMIC& d) {
    d.ThresholdDb = r.ThresholdDb;
    d.Ratio = r.Ratio;
    d.CurveGainDb = r.CurveGainDb;
    d.TimeConstantCoef = r.TimeConstantCoef;
    d.WindowSamples = r.WindowSamples;
    d.RateCode = r.RateCode;
    d.LeadSamples = r.LeadSamples;
    d.AuxSwitch = r.AuxSwitch;
    d.CompressorOn = r.CompressorOn;
    d.ShapeDb = r.ShapeDb;
    d.AmpBridgeMode = r.AmpBridgeMode != 0;
    d.AuxFlag = r.AuxFlag != 0;
    d.Bypass = r.Bypass != 0;
    d.AuxValue = r.AuxValue;
    d.AmpGain = r.AmpGain;
    d.ImpedanceOhm = r.ImpedanceOhm;
    d.BoxPowerW = r.BoxPowerW;
    d.AmpPowerW = r.AmpPowerW;
    d.AuxCount = r.AuxCount;
}

void section(PresetProgress& progress, int bar, const char* text) {
    progress.step(bar, text);
}

// The end of a step of Open: what the procedures noted about the file is shown as the
// file's own warnings are, then the window catches up.
void settle(PresetContext& ctx) {
    ctx.showNotices();
    ctx.ui.pump(kPumpsPerStep);
}

std::string notAFile(const std::string& path) {
    return path + " is not a " + kUnitName + "File";
}

// What opening a file does with its peak settings.
std::string keptPeakTables(std::int32_t sampleRate) {
    dsp::TDYNAMIC fresh;
    fresh.ApplyPeakDefaults(sampleRate);
    return "opening a file keeps the peak limiter tables of a new preset (limiter at " +
           dsp::plainText(fresh.ThresholdDb) + " dB, knee " + dsp::plainText(fresh.ShapeDb) + " dB).";
}

// Open leaves the peak tables as they were; says once when the file's peak settings of the
// outputs in the image would have given other tables.
void warnOfPeakSettingsNotInImage(PresetContext& ctx, const std::string& path) {
    std::string outputs;
    for (std::size_t n = 0; n < kOutputs; ++n)
        if (!peakTableFollowsSettings(ctx.p.PeakDynamics[n]))
            outputs += (outputs.empty() ? "" : " and ") + std::to_string(n + 1);
    if (outputs.empty()) return;
    if (ctx.peakSettingsDiffer) {
        ctx.peakSettingsDiffer->push_back(path + " (output " + outputs + ")");
        return;
    }
    ctx.ui.warning(path + ": the peak limiter settings stored for output " + outputs +
                   " are not what the image carries: " + keptPeakTables(ctx.SampleRate));
}

} // namespace

std::string peakSettingsWarning(std::span<const std::string> files, std::int32_t sampleRate) {
    std::string text = "The peak limiter settings stored in these preset files are not what their images carry; " +
                       keptPeakTables(sampleRate);
    for (const std::string& f : files) text += "\n" + f;
    return text;
}

std::string CaptionForFile(const std::string& path) {
    return kCaptionPrefix + platform::utf8FromPath(platform::pathFromUtf8(path).filename());
}

PresetRecord RecordFromModel(const PresetParameters& p, std::int32_t sampleRate, const std::string& path) {
    PresetRecord r;
    r.HeaderText = std::string(kPresetHeaderText) + path;
    r.SystemName = p.SystemInfo.SystemName.text();
    r.ProjectName = p.SystemInfo.ProjectName.text();
    r.EngineerLabel = p.SystemInfo.EngineerLabel.text();
    r.Comments = p.SystemInfo.Comments.text();
    r.SampleRate = sampleRate;
    r.Temperature = p.Temperature;
    r.OutputDelay = p.OutputDelay;
    r.EqualiserEditorValues = p.EqualiserEditorValues;
    for (std::size_t i = 0; i < kPeqBands; ++i) {
        const dsp::TSOS& b = p.PeqBands[i];
        r.Bands[i] = {b.Gain, b.Frequency, b.Q, b.FilterType};
    }
    for (std::size_t n = 0; n < kOutputs; ++n) {
        r.OutputGain[n] = p.OutputGain[n];
        r.OutputPolarity[n] = p.PolOutput[n].on() ? 1 : 0;
        r.OutputMute[n] = p.MuteOutput[n].on() ? 1 : 0;
        const dsp::TXOVER& x = p.Crossovers[n];
        r.Crossovers[n] = {static_cast<float>(x.HighPass.Frequency),
                           static_cast<float>(x.LowPass.Frequency),
                           x.LowPass.Order,
                           x.HighPass.Order,
                           x.LowPass.Alignment,
                           x.HighPass.Alignment};
        r.LowPassOff[n] = p.LowPassOff[n] ? 1 : 0;
        r.HighPassOff[n] = p.HighPassOff[n] ? 1 : 0;
        // Stored plus one: readers take one off (see PresetRecord::RouteCodesPlusOne).
        r.InputRoute[n] = p.InputRoute[n] + 1;
        r.RouteGainA10[n] = toInt32(p.RouteGainA[n] * 10.0);
        r.RouteGainB10[n] = toInt32(p.RouteGainB[n] * 10.0);
        r.ImportFile[n] = p.Import.path[n];
        r.SpeakerDistance[n] = p.SpeakerDistance[n];
        r.GateSetting[n] = toInt32(p.RmsDynamics[n].GateSetting);
        r.GateRamp[n] = toInt32(p.RmsDynamics[n].GateRamp);
    }
    r.RouteCodesPlusOne = true;
    for (std::size_t i = 0; i < kDynamicsObjects; ++i) {
        r.Rms[i] = recordOf(p.RmsDynamics[i]);
        r.Peak[i] = recordOf(p.PeakDynamics[i]);
    }
    r.ImportDataType = p.Import.ImportDataType;
    r.ReferenceLevel = static_cast<float>(p.Import.ReferenceLevel.value());
    r.InputDelay = p.InputDelay;
    return r;
}

bool SavePreset(PresetContext& ctx, const std::string& path) {
    const std::filesystem::path file = platform::pathFromUtf8(path);
    std::error_code absoluteError;
    const auto full = std::filesystem::absolute(file, absoluteError);
    // The header names the file by its full path.
    const auto bytes =
        encodePresetRecord(RecordFromModel(ctx.p, ctx.SampleRate, absoluteError ? path : platform::utf8FromPath(full)));
    std::filesystem::path part = file;
    part += ".part";
    std::error_code ec;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out) {
            ctx.ui.error("Cannot create " + platform::utf8FromPath(part) + ": " + std::generic_category().message(errno));
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            ctx.ui.error("Cannot write " + platform::utf8FromPath(part) + ": " + std::generic_category().message(errno));
            out.close();
            std::filesystem::remove(part, ec);
            return false;
        }
    }
    std::filesystem::rename(part, file, ec);
    if (ec) {
        ctx.ui.error("Cannot save " + path + ": " + ec.message());
        std::filesystem::remove(part, ec);
        return false;
    }
    ctx.p.Caption = kCaptionPrefix + ctx.p.MainSystemName;
    return true;
}

OpenResult OpenPreset(PresetContext& ctx, const std::string& path) {
    std::string error;
    // One byte more than a record: a longer file is refused by its size.
    auto bytes = readInputFile(platform::pathFromUtf8(path), kPresetRecordSize + 1, error);
    if (!bytes) {
        ctx.ui.error(error);
        ctx.p.OpenDialogFileName.clear();
        return OpenResult::Unreadable;
    }
    return OpenPresetBytes(ctx, path, *bytes);
}

OpenResult OpenPresetBytes(PresetContext& ctx, const std::string& path, std::span<const std::uint8_t> bytes) {
    PresetParameters& p = ctx.p;
    PresetProgress progress{ctx.ui};
    progress.show("");
    if (bytes.size() != kPresetRecordSize && bytes.size() != kOlderPresetRecordSize) {
        ctx.ui.error(notAFile(path));
        progress.hide();
        p.OpenDialogFileName.clear();
        return OpenResult::WrongSize;
    }
    const bool older = bytes.size() < kPresetRecordSize;
    if (older) {
        ctx.ui.warning(path + " is not a " + kUnitName +
                       " File or is an older version (then re-save the file to translate it to VERSION " +
                       kPresetVersion);
        progress.hide();
    }
    if (!hasPresetSignature(bytes)) {
        ctx.ui.error(notAFile(path));
        progress.hide();
        p.OpenDialogFileName.clear();
        return OpenResult::WrongSignature;
    }
    PresetRecord record;
    // A short file keeps the present input delay.
    record.InputDelay = p.InputDelay;
    decodePresetRecord(bytes, record);

    ctx.ui.status(StatusField::PresetTitle, "Opening " + path);
    progress.step(0, "Reading VERSION and HEADER...");
    settle(ctx);
    // The designers limit what a damaged file holds; should one still fail, the file is
    // refused as a whole and the model stays as it was.
    const PresetParameters before = p;
    p.OpeningFile = path;
    try {
        ApplyRecord(ctx, record, progress);
        // A bare file name lies in the current folder, where its measurement files are looked for.
        p.PresetFolder = platform::utf8FromPath(platform::pathFromUtf8(path).parent_path());
        if (p.PresetFolder.empty()) p.PresetFolder = ".";
        if (older) {
            p.OpenDialogFileName.clear();
        } else {
            p.OpenDialogFileName = path;
        }
        RecomputeAfterOpen(ctx, progress);
    } catch (const dsp::DesignError& error) {
        ctx.showNotices();
        p = before;
        progress.hide();
        ctx.ui.error(path + ": " + error.what() + ". It is not a " + kUnitName + " File that can be used.");
        p.OpenDialogFileName.clear();
        return OpenResult::Undesignable;
    }
    warnOfPeakSettingsNotInImage(ctx, path);
    p.OpeningFile.clear();
    progress.hide();
    return older ? OpenResult::OpenedOlder : OpenResult::Opened;
}

void ApplyRecord(PresetContext& ctx, const PresetRecord& r, PresetProgress& progress) {
    PresetParameters& p = ctx.p;
    section(progress, 0, "Reading VERSION and HEADER...");
    p.SystemInfo.ProjectName.set(r.ProjectName);
    p.SystemInfo.EngineerLabel.set(r.EngineerLabel);
    p.SystemInfo.Comments.set(r.Comments);
    SetSystemName(p, r.SystemName);
    p.TemperaturaSpin.setPosition(r.Temperature);
    p.Temperature = p.TemperaturaSpin.position();
    p.OutputDelay = r.OutputDelay;
    settle(ctx);

    section(progress, 5, "Reading PEQs...");
    for (std::size_t i = 0; i < kPeqBands; ++i) {
        dsp::TSOS& b = p.PeqBands[i];
        b.FilterType = r.Bands[i].FilterType;
        b.Gain = r.Bands[i].Gain;
        b.Frequency = r.Bands[i].Frequency;
        b.Q = r.Bands[i].Q;
    }
    settle(ctx);

    section(progress, 10, "Reading Gains, and Polarity...");
    for (std::size_t n = 0; n < kOutputs; ++n) {
        p.PolOutput[n].set(r.OutputPolarity[n] != 0);
        p.MuteOutput[n].set(r.OutputMute[n] != 0);
    }
    p.OutputGain = r.OutputGain;
    settle(ctx);

    section(progress, 15, "Reading CrossOvers...");
    for (std::size_t n = 0; n < kOutputs; ++n) {
        dsp::TXOVER& x = p.Crossovers[n];
        const CrossoverRecord& c = r.Crossovers[n];
        x.HighPass.Frequency = c.HighPassFrequency;
        x.LowPass.Frequency = c.LowPassFrequency;
        x.LowPass.Order = c.LowPassOrder;
        x.HighPass.Order = c.HighPassOrder;
        x.LowPass.Alignment = c.LowPassAlignment;
        x.HighPass.Alignment = c.HighPassAlignment;
        p.LowPassOff[n] = r.LowPassOff[n] != 0 ? 1 : 0;
        p.HighPassOff[n] = r.HighPassOff[n] != 0 ? 1 : 0;
    }
    settle(ctx);

    section(progress, 20, "Reading Dinamics...");
    for (std::size_t i = 0; i < kDynamicsObjects; ++i)
        applyDynamics(r.Rms[i], p.RmsDynamics[i]);
    settle(ctx);

    section(progress, 25, "Reading Sub Route...");
    for (std::size_t n = 0; n < kOutputs; ++n) {
        // Our files hold the code plus one; older files hold it as it was.
        p.InputRoute[n] = r.RouteCodesPlusOne ? r.InputRoute[n] - 1 : r.InputRoute[n];
        p.RouteGainA[n] = r.RouteGainA10[n] / 10.0;
        p.RouteGainB[n] = r.RouteGainB10[n] / 10.0;
    }
    settle(ctx);

    section(progress, 28, "Reading Import File Route...");
    p.Import.path = r.ImportFile;
    p.Import.ImportDataType = r.ImportDataType;
    p.Import.ReferenceLevel.setValue(r.ReferenceLevel);
    p.SpeakerDistance = r.SpeakerDistance;
    for (std::size_t n = 0; n < kOutputs; ++n) {
        p.RmsDynamics[n].GateSetting = static_cast<float>(r.GateSetting[n]);
        p.RmsDynamics[n].GateRamp = static_cast<float>(r.GateRamp[n]);
    }
    for (std::size_t i = 0; i < kDynamicsObjects; ++i)
        applyDynamics(r.Peak[i], p.PeakDynamics[i]);
    p.InputDelay = r.InputDelay;
    settle(ctx);
}

void RecomputeAfterOpen(PresetContext& ctx, PresetProgress& progress) {
    PresetParameters& p = ctx.p;
    section(progress, 30, "Updating Delays...");
    for (int n = 0; n < kOutputs; ++n) {
        p.DelTrack[static_cast<std::size_t>(n)].setPosition(
            139 - std::int64_t{p.OutputDelay[static_cast<std::size_t>(n)]});
        DelayUpdate(ctx, n);
    }
    p.InDeltrack.setPosition(4159 - std::int64_t{p.InputDelay});
    InputDelayUpdate(ctx);
    settle(ctx);

    section(progress, 35, "Updating relative distance between speakers...");
    DistanceUpdate(ctx);
    settle(ctx);

    section(progress, 45, "Updating Gains...");
    OutputSwitchesToModel(ctx);
    OutputGainUpdate(ctx, 0);
    OutputGainUpdate(ctx, 1);
    settle(ctx);

    section(progress, 65, "Updating Xover...");
    LoadCrossoverIntoSources(ctx, 0);
    LoadCrossoverIntoSources(ctx, 1);
    settle(ctx);

    section(progress, 75, "Updating Dinamics...");
    // The RMS limiters of output 2, then output 1. The peak limiters keep the tables New made:
    // units and the libraries built for them carry those.
    DynamicsUpdate(ctx, DynamicsKind::Rms, 1);
    DynamicsUpdate(ctx, DynamicsKind::Rms, 0);
    ctx.showNotices();
    RunImport(p.Import, p.Grid.frequencies(), {p.Import.Sensitivity.value(), p.PresetFolder}, ctx.ui);
    settle(ctx);

    section(progress, 85, "Updating Equalization...");
    RedesignAllBands(ctx);
    settle(ctx);

    section(progress, 100, "DONE");
}

bool savePresetAs(PresetContext& ctx, const std::string& path) {
    if (!SavePreset(ctx, path)) return false;
    ctx.p.Caption = CaptionForFile(path);
    return true;
}

int BatchReadPresets(PresetContext& ctx, std::span<const std::string> paths,
                     const std::function<void()>& onImage) {
    if (paths.size() > static_cast<std::size_t>(kMaxBatchFiles)) {
        ctx.ui.beep();
        ctx.ui.message(MessageKind::Plain, Buttons::Ok,
                       "You are selecting more than 13 memories. Only the first 13 memories will be read.");
        paths = paths.first(static_cast<std::size_t>(kMaxBatchFiles));
    }
    int read = 0;
    for (const std::string& path : paths) {
        // Every file starts from New's values: what a file does not hold (a custom
        // crossover's sections) must not come from the file read before it.
        ResetPreset(ctx);
        const OpenResult r = OpenPreset(ctx, path);
        if (r != OpenResult::Opened && r != OpenResult::OpenedOlder) break;
        if (onImage) onImage();
        ++read;
    }
    return read;
}

} // namespace vela
