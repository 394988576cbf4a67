#include "app/designer_controls.h"

#include "dsp/filter_types.h"
#include "dsp/number_text.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace vela::app {
namespace {

bool isWhole(double x) { return std::abs(x - std::round(x)) < 1e-9; }

// The decimals a step needs: 0.1 one, 0.137 three.
int decimalsOf(double step) {
    for (int d = 0; d < 4; ++d)
        if (isWhole(step * std::pow(10.0, d))) return d;
    return 4;
}

// The list position of a stored choice: its text, or the stored code of an equaliser type or
// a crossover alignment.
int choiceIndex(const Parameter& p, const std::string& text) {
    for (std::size_t i = 0; i < p.choices.size(); ++i)
        if (QString::fromStdString(p.choices[i]).compare(QString::fromStdString(text), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    int code = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (ec != std::errc() || end != text.data() + text.size()) return -1;
    if (p.key.ends_with(".type")) return dsp::ListIndexOfFilterCode(static_cast<std::uint8_t>(code));
    if (p.key.ends_with(".alignment")) return (code + 1) / 2;
    return -1;
}

QString tip(const Parameter& p) {
    QString t = QString::fromStdString(p.accessibleName);
    if (p.kind == ParameterKind::Number) {
        t += QStringLiteral(": %1 to %2").arg(QString::fromStdString(dsp::plainText(p.minimum)),
                                              QString::fromStdString(dsp::plainText(p.maximum)));
        if (!p.unit.empty()) t += ' ' + QString::fromStdString(p.unit);
    }
    return t;
}

// The spin box takes any number typed, beyond the parameter's range too: the procedure limits
// it, and the box then shows the value limited.
constexpr double kTypedBeyond = 1e6;

QWidget* numberControl(const Parameter& p, QWidget* parent) {
    const QString suffix = p.unit.empty() ? QString() : ' ' + QString::fromStdString(p.unit);
    if (isWhole(p.minimum) && isWhole(p.maximum) && p.step >= 1 && isWhole(p.step)) {
        auto* box = new QSpinBox(parent);
        box->setRange(static_cast<int>(p.minimum - kTypedBeyond), static_cast<int>(p.maximum + kTypedBeyond));
        box->setSingleStep(static_cast<int>(p.step));
        box->setSuffix(suffix);
        return box;
    }
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(decimalsOf(p.step));
    box->setRange(p.minimum - kTypedBeyond, p.maximum + kTypedBeyond);
    box->setSingleStep(p.step);
    // Frequencies span three decades: the arrows move by a step that suits the value.
    if (p.unit == "Hz") box->setStepType(QAbstractSpinBox::AdaptiveDecimalStepType);
    box->setSuffix(suffix);
    return box;
}

}  // namespace

ParameterControls::ParameterControls(PresetDocument& document, QObject* parent)
    : QObject(parent), document_(document) {}

QWidget* ParameterControls::make(std::string_view key, QWidget* parent) {
    const Parameter* p = findParameter(key);
    if (!p) throw std::logic_error("no parameter " + std::string(key));
    QWidget* w = nullptr;
    switch (p->kind) {
    case ParameterKind::Number: {
        w = numberControl(*p, parent);
        auto* box = static_cast<QAbstractSpinBox*>(w);
        // A typed value counts once it is complete (Enter, leaving the field).
        box->setKeyboardTracking(false);
        box->setAccelerated(true);
        if (auto* whole = qobject_cast<QSpinBox*>(w))
            connect(whole, &QSpinBox::valueChanged, this, [this, p](int v) { edit(*p, std::to_string(v)); });
        else
            connect(static_cast<QDoubleSpinBox*>(w), &QDoubleSpinBox::valueChanged, this,
                    [this, p](double v) { edit(*p, dsp::plainText(v)); });
        break;
    }
    case ParameterKind::Switch: {
        auto* box = new QCheckBox(QString::fromStdString(p->accessibleName), parent);
        connect(box, &QCheckBox::toggled, this, [this, p](bool on) { edit(*p, on ? "1" : "0"); });
        w = box;
        break;
    }
    case ParameterKind::Choice: {
        auto* list = new QComboBox(parent);
        for (const std::string& c : p->choices) list->addItem(QString::fromStdString(c));
        connect(list, &QComboBox::activated, this, [this, p](int i) {
            if (i >= 0) edit(*p, p->choices[static_cast<std::size_t>(i)]);
        });
        w = list;
        break;
    }
    case ParameterKind::Text:
        if (p->key == "comments") {
            auto* field = new QPlainTextEdit(parent);
            field->setTabChangesFocus(true);
            connect(field, &QPlainTextEdit::textChanged, this, [this, p, field] {
                const std::string text = field->toPlainText().toStdString();
                if (text != p->text(document_.preset(), document_.sampleRate())) edit(*p, text, p->key);
            });
            w = field;
        } else {
            auto* field = new QLineEdit(parent);
            if (p->maximum > 0) field->setMaxLength(static_cast<int>(p->maximum));
            // A measurement file is read once its name is complete; a name, as it is typed.
            if (p->key.starts_with("import."))
                connect(field, &QLineEdit::editingFinished, this, [this, p, field] {
                    const std::string text = field->text().toStdString();
                    if (text != p->text(document_.preset(), document_.sampleRate())) edit(*p, text);
                });
            else
                connect(field, &QLineEdit::textEdited, this,
                        [this, p](const QString& text) { edit(*p, text.toStdString(), p->key); });
            w = field;
        }
        break;
    }
    w->setAccessibleName(QString::fromStdString(p->accessibleName));
    w->setToolTip(tip(*p));
    w->setObjectName(QString::fromStdString(p->key));
    w->installEventFilter(this);
    bindings_.push_back({p, w});
    show(bindings_.back());
    return w;
}

QWidget* ParameterControls::control(std::string_view key) const {
    for (const Binding& b : bindings_)
        if (b.parameter->key == key) return b.widget;
    return nullptr;
}

void ParameterControls::refresh() {
    for (const Binding& b : bindings_) show(b);
}

void ParameterControls::show(const Binding& b) {
    const Parameter& p = *b.parameter;
    const PresetParameters& preset = document_.preset();
    const QSignalBlocker quiet(b.widget);
    switch (p.kind) {
    case ParameterKind::Number: {
        // Only a value that changed: setting a spin box, even to its own value, redraws it.
        const double v = p.number(preset, document_.sampleRate());
        if (auto* whole = qobject_cast<QSpinBox*>(b.widget)) {
            if (whole->value() != static_cast<int>(std::lround(v))) whole->setValue(static_cast<int>(std::lround(v)));
        } else {
            auto* box = static_cast<QDoubleSpinBox*>(b.widget);
            if (box->value() != box->valueFromText(box->textFromValue(v))) box->setValue(v);
        }
        break;
    }
    case ParameterKind::Switch:
        static_cast<QCheckBox*>(b.widget)->setChecked(p.text(preset, document_.sampleRate()) == "1");
        break;
    case ParameterKind::Choice:
        static_cast<QComboBox*>(b.widget)->setCurrentIndex(choiceIndex(p, p.text(preset, document_.sampleRate())));
        break;
    case ParameterKind::Text: {
        const QString text = QString::fromStdString(p.text(preset, document_.sampleRate()));
        if (auto* field = qobject_cast<QLineEdit*>(b.widget)) {
            if (field->text() != text) field->setText(text);
        } else if (auto* area = qobject_cast<QPlainTextEdit*>(b.widget); area && area->toPlainText() != text) {
            area->setPlainText(text);
        }
        break;
    }
    }
}

void ParameterControls::set(std::string_view key, const std::string& value, std::string_view merge) {
    if (const Parameter* p = findParameter(key)) edit(*p, value, merge);
}

void ParameterControls::edit(const Parameter& p, const std::string& value, std::string_view merge) {
    std::vector<std::string> notices;
    try {
        notices = document_.set(p, value, merge);
    } catch (const std::invalid_argument& e) {
        notices = {e.what()};
    }
    // The document's listeners showed the stored values; a refused value shows the old one.
    for (const Binding& b : bindings_)
        if (b.parameter == &p) show(b);
    if (onNotices) onNotices(notices);
}

bool ParameterControls::eventFilter(QObject* watched, QEvent* event) {
    // A number counts once typed: Ctrl+Z and Ctrl+Shift+Z in its field undo and redo the
    // preset's edits, not the field's typing.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QAbstractSpinBox*>(watched)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Z && (key->modifiers() & Qt::ControlModifier)) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn && onFocus)
        for (const Binding& b : bindings_)
            if (b.widget == watched) onFocus(b.parameter->key);
    return QObject::eventFilter(watched, event);
}

}  // namespace vela::app
