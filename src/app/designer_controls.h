#pragma once
// The designer's controls, made from the parameter table: a spin box for a number (its range,
// step and unit from the table), a list for a number whose values have names and for a
// choice, a check box for a switch, a field for a text. Each is named by the table's accessible name, sets its value through the document and
// shows the stored value again after every change, so a value the procedure limited shows
// limited.

#include <QObject>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QWidget;

namespace vela {
struct Parameter;
class PresetDocument;
}  // namespace vela

namespace vela::app {

// A list that assistive technology hears by its accessible name, with its entry as the value
// (a plain list on this platform says its entry where its name belongs).
QComboBox* namedList(QWidget* parent);

class ParameterControls : public QObject {
    Q_OBJECT
public:
    explicit ParameterControls(PresetDocument& document, QObject* parent = nullptr);

    // The control of the table's parameter `key`, made as a child of `parent`.
    QWidget* make(std::string_view key, QWidget* parent);
    // The control made for `key`, or null.
    QWidget* control(std::string_view key) const;
    // Every control shows its stored value.
    void refresh();

    // Sets `key` to `value` as the control would; the procedure's notices go to onNotices.
    void set(std::string_view key, const std::string& value, std::string_view merge = {});
    // The edits merged so far make one undo step; the next one starts another (a drag ended).
    void endStep();

    // What an edit's procedure had to say (limits, the power-capacity warning).
    std::function<void(const std::vector<std::string>&)> onNotices;
    // A control of a parameter got the keyboard's focus.
    std::function<void(const std::string& key)> onFocus;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        const Parameter* parameter;
        QWidget* widget;
    };
    void show(const Binding& b);
    static void showNamedValue(const Parameter& p, QComboBox& list, double value);
    void edit(const Parameter& p, const std::string& value, std::string_view merge = {});

    PresetDocument& document_;
    std::vector<Binding> bindings_;
};

}  // namespace vela::app
