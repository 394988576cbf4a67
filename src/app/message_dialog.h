#pragma once
// The program's message box: a modal dialog on our dark panel that wraps its text at a
// readable width and grows to show all of it within the screen it appears on, with the fixed
// button sets the procedures ask with. Escape and closing give the safe answer.

#include "core/user_interface.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QScrollArea;

namespace vela::app {

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    MessageDialog(MessageKind kind, Buttons buttons, const QString& text, QWidget* parent = nullptr);

    // Shows the box modally and returns the button chosen.
    Answer ask();

    const QString& text() const { return text_; }
    // The buttons in the order shown; each one's caption is its accessible name.
    const QList<QPushButton*>& buttons() const { return buttons_; }
    Answer answer() const { return answer_; }
    QLabel* textLabel() const { return label_; }
    QScrollArea* textArea() const { return area_; }

    // Sizes the box for a screen's available area: the text wraps at a readable width, at
    // the area's width where that is less, and scrolls only where even the whole area is too
    // small to hold it. Showing the box fits it into its own screen.
    void fitInto(const QRect& area);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void choose(Answer answer);

    QString text_;
    Buttons set_;
    Answer answer_;
    QLabel* icon_ = nullptr;
    QLabel* label_;
    QScrollArea* area_;
    QList<QPushButton*> buttons_;
};

}  // namespace vela::app
