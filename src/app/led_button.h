#pragma once
// A panel push button with an indicator LED beside its caption. It is a real QPushButton: the
// keyboard reaches it, and screen readers and tests find it by its caption.

#include <QPushButton>

namespace vela::app {

class LedButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(bool ledOn READ ledOn WRITE setLedOn)
public:
    explicit LedButton(const QString& caption, QWidget* parent = nullptr);

    bool ledOn() const { return ledOn_; }
    void setLedOn(bool on);
    // The value the button stands for (the link kind of the connection buttons).
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool ledOn_ = false;
    int tag_ = 0;
};

}  // namespace vela::app
