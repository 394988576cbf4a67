#include "app/designer_controls.h"

#include "dsp/filter_types.h"
#include "dsp/number_text.h"
#include "preset/parameter_table.h"
#include "session/preset_document.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <type_traits>

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
    if (p.kind == ParameterKind::Number && p.valueNames.empty()) {
        t += QStringLiteral(": %1 to %2").arg(QString::fromStdString(dsp::plainText(p.minimum)),
                                              QString::fromStdString(dsp::plainText(p.maximum)));
        if (!p.unit.empty()) t += ' ' + QString::fromStdString(p.unit);
        if (p.unit == "samples") t += QStringLiteral(", or a time typed in ms");
    }
    return t;
}

// The number typed in a spin box's text, without its suffix.
std::optional<double> typedNumber(QString text, const QString& suffix) {
    text = text.trimmed();
    if (!suffix.isEmpty() && text.endsWith(suffix.trimmed())) text.chop(suffix.trimmed().size());
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// A spin box that reports the parameter's real range and takes a number typed beyond it as
// the range's end, as the procedure would limit it.
template <typename Box>
class LimitingBox : public Box {
public:
    using Box::Box;

protected:
    QValidator::State validate(QString& text, int& pos) const override {
        const QValidator::State state = Box::validate(text, pos);
        if (state != QValidator::Invalid || !typedNumber(text, this->suffix())) return state;
        return QValidator::Intermediate;
    }
    void fixup(QString& text) const override {
        const auto v = typedNumber(text, this->suffix());
        if (!v) return Box::fixup(text);
        const double limited = std::clamp<double>(*v, this->minimum(), this->maximum());
        if constexpr (std::is_same_v<Box, QSpinBox>)
            text = this->textFromValue(static_cast<int>(std::lround(limited)));
        else
            text = this->textFromValue(limited);
    }
};

// A delay in samples that also takes a time: "2.5 ms" is 120 samples at 48 kHz.
class SamplesBox : public LimitingBox<QSpinBox> {
public:
    SamplesBox(std::int32_t sampleRate, QWidget* parent) : LimitingBox<QSpinBox>(parent), sampleRate_(sampleRate) {}

protected:
    QValidator::State validate(QString& text, int& pos) const override {
        const QString t = bare(text);
        if (!t.endsWith(QLatin1Char('m')) && !t.endsWith(QLatin1String("ms")))
            return LimitingBox<QSpinBox>::validate(text, pos);
        const auto ms = milliseconds(t.endsWith(QLatin1Char('m')) ? t + 's' : t);
        if (!ms) return QValidator::Intermediate;
        const int n = samples(*ms);
        return t.endsWith(QLatin1String("ms")) && n >= minimum() && n <= maximum() ? QValidator::Acceptable
                                                                                   : QValidator::Intermediate;
    }
    void fixup(QString& text) const override {
        if (const auto ms = milliseconds(bare(text)))
            text = textFromValue(std::clamp(samples(*ms), minimum(), maximum()));
        else
            LimitingBox<QSpinBox>::fixup(text);
    }
    int valueFromText(const QString& text) const override {
        if (const auto ms = milliseconds(bare(text))) return samples(*ms);
        return LimitingBox<QSpinBox>::valueFromText(text);
    }

private:
    // The text without the " samples" that stays behind what is typed.
    QString bare(const QString& text) const {
        QString t = text.trimmed();
        if (t.endsWith(suffix().trimmed())) t.chop(suffix().trimmed().size());
        return t.trimmed();
    }
    static std::optional<double> milliseconds(const QString& text) {
        if (!text.endsWith(QLatin1String("ms"))) return std::nullopt;
        return typedNumber(text.chopped(2), QString());
    }
    int samples(double ms) const {
        return static_cast<int>(std::clamp(std::round(ms * sampleRate_ / 1000.0), -1e6, 1e6));
    }
    std::int32_t sampleRate_;
};

QWidget* numberControl(const Parameter& p, std::int32_t sampleRate, QWidget* parent) {
    const QString suffix = p.unit.empty() ? QString() : ' ' + QString::fromStdString(p.unit);
    if (isWhole(p.minimum) && isWhole(p.maximum) && p.step >= 1 && isWhole(p.step)) {
        QSpinBox* box = p.unit == "samples" ? new SamplesBox(sampleRate, parent) : new LimitingBox<QSpinBox>(parent);
        box->setRange(static_cast<int>(p.minimum), static_cast<int>(p.maximum));
        box->setSingleStep(static_cast<int>(p.step));
        box->setSuffix(suffix);
        return box;
    }
    auto* box = new LimitingBox<QDoubleSpinBox>(parent);
    box->setDecimals(decimalsOf(p.step));
    box->setRange(p.minimum, p.maximum);
    box->setSingleStep(p.step);
    // Frequencies span three decades: the arrows move by a step that suits the value.
    if (p.unit == "Hz") box->setStepType(QAbstractSpinBox::AdaptiveDecimalStepType);
    box->setSuffix(suffix);
    return box;
}

// A list's name, for assistive technology: on this platform a list says its current entry
// where its name belongs, so the eight band types all read "Bypass". The lists made here say
// the table's name, with the entry as their value.
constexpr const char* kNamedList = "vela.namedList";

class NamedList : public QAccessibleWidget {
public:
    explicit NamedList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    // The popup's entries, as the list's own child.
    int childCount() const override { return list()->view() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && list()->view() ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && list()->view() && child->object() == list()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) list()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* namedListFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object && object->property(kNamedList).toBool())
        return new NamedList(static_cast<QComboBox*>(object));
    return nullptr;
}

}  // namespace

QComboBox* namedList(QWidget* parent) {
    static const bool installed = [] {
        QAccessible::installFactory(namedListFactory);
        return true;
    }();
    (void)installed;
    auto* list = new QComboBox(parent);
    list->setProperty(kNamedList, true);
    return list;
}

ParameterControls::ParameterControls(PresetDocument& document, QObject* parent)
    : QObject(parent), document_(document) {}

QWidget* ParameterControls::make(std::string_view key, QWidget* parent) {
    const Parameter* p = findParameter(key);
    if (!p) throw std::logic_error("no parameter " + std::string(key));
    QWidget* w = nullptr;
    switch (p->kind) {
    case ParameterKind::Number: {
        if (!p->valueNames.empty()) {
            // The values by their names; a stored value without one shows as an extra entry.
            auto* list = namedList(parent);
            for (const auto& [value, name] : p->valueNames) list->addItem(QString::fromStdString(name));
            connect(list, &QComboBox::activated, this, [this, p](int i) {
                if (i >= 0 && static_cast<std::size_t>(i) < p->valueNames.size())
                    edit(*p, std::to_string(p->valueNames[static_cast<std::size_t>(i)].first));
            });
            w = list;
            break;
        }
        w = numberControl(*p, document_.sampleRate(), parent);
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
        auto* list = namedList(parent);
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
        if (auto* list = qobject_cast<QComboBox*>(b.widget)) {
            showNamedValue(p, *list, v);
        } else if (auto* whole = qobject_cast<QSpinBox*>(b.widget)) {
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

void ParameterControls::showNamedValue(const Parameter& p, QComboBox& list, double value) {
    const auto named = static_cast<int>(p.valueNames.size());
    for (int i = 0; i < named; ++i)
        if (p.valueNames[static_cast<std::size_t>(i)].first == value) {
            if (list.count() > named) list.removeItem(named);
            list.setCurrentIndex(i);
            return;
        }
    const QString text = QString::fromStdString(dsp::plainText(value) + (p.unit.empty() ? "" : " " + p.unit));
    if (list.count() > named)
        list.setItemText(named, text);
    else
        list.addItem(text);
    list.setCurrentIndex(named);
}

void ParameterControls::set(std::string_view key, const std::string& value, std::string_view merge) {
    if (const Parameter* p = findParameter(key)) edit(*p, value, merge);
}

void ParameterControls::endStep() { document_.endMerge(); }

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
