#pragma once
// The small drawn keys of the windows: close, minimise and the model's manual. Real buttons
// whose accessible names are "Close", "Minimise" and "Manual".

#include <QToolButton>

namespace vela::app {

enum class IconKind { Close, Minimise, Manual };

class IconButton : public QToolButton {
    Q_OBJECT
public:
    IconButton(IconKind kind, QWidget* parent = nullptr);

    IconKind kind() const { return kind_; }
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    IconKind kind_;
};

// "Close", "Minimise" or "Manual".
QString iconCaption(IconKind kind);

}  // namespace vela::app
