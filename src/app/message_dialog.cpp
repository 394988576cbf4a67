#include "app/message_dialog.h"

#include "app/borderless_window.h"
#include "app/panel_style.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace vela::app {
namespace {

constexpr int kMargin = 16;
constexpr int kGap = 12;
constexpr int kButtonGap = 8;
constexpr int kMinButtonWidth = 80;
// Room kept free between the box and the edges of the screen.
constexpr int kScreenGap = 8;
// Lines of about this many characters read well.
constexpr int kReadableChars = 64;
// A break opportunity that draws nothing.
constexpr QChar kBreak(u'\u200B');

QStyle::StandardPixmap iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return QStyle::SP_MessageBoxInformation;
    case MessageKind::Warning: return QStyle::SP_MessageBoxWarning;
    case MessageKind::Error: return QStyle::SP_MessageBoxCritical;
    case MessageKind::Plain: break;
    }
    return QStyle::SP_CustomBase;
}

QList<Answer> answersOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return {Answer::Ok};
    case Buttons::Yes: return {Answer::Yes};
    case Buttons::YesNo: return {Answer::Yes, Answer::No};
    case Buttons::YesNoCancel: return {Answer::Yes, Answer::No, Answer::Cancel};
    case Buttons::OkCancel: return {Answer::Ok, Answer::Cancel};
    }
    return {Answer::Ok};
}

// A word wider than the line (a long path, say) gets break opportunities: after the path
// separators first, between any two characters of a piece still too wide.
QString breakable(const QString& word, const QFontMetrics& fm, int width) {
    if (fm.horizontalAdvance(word) <= width) return word;
    QString out;
    QString piece;
    const auto flush = [&] {
        if (fm.horizontalAdvance(piece) <= width) {
            out += piece;
        } else {
            for (const QChar c : piece) {
                out += c;
                if (!c.isHighSurrogate()) out += kBreak;
            }
        }
        piece.clear();
    };
    for (const QChar c : word) {
        piece += c;
        if (c == u'/' || c == u'\\') {
            flush();
            out += kBreak;
        }
    }
    flush();
    return out;
}

// The text as the label shows it at `width`: every word fits on a line.
QString wrappable(const QString& text, const QFontMetrics& fm, int width) {
    QString out;
    QString word;
    for (const QChar c : text) {
        if (c.isSpace()) {
            out += breakable(word, fm, width) + c;
            word.clear();
        } else {
            word += c;
        }
    }
    return out + breakable(word, fm, width);
}

}  // namespace

MessageDialog::MessageDialog(MessageKind kind, Buttons buttons, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), text_(text), set_(buttons), answer_(safeAnswer(buttons)) {
    setWindowTitle(QApplication::applicationName());
    setModal(true);
    // The panel's look whatever window the box belongs to.
    setStyleSheet(panelStyleSheet());
    setAccessibleName(windowTitle());
    setAccessibleDescription(text);

    if (kind != MessageKind::Plain) {
        icon_ = new QLabel(this);
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon_->setPixmap(style()->standardIcon(iconOf(kind), nullptr, this).pixmap(QSize(size, size), devicePixelRatio()));
        icon_->setFixedSize(size, size);
    }

    area_ = new QScrollArea(this);
    area_->setFrameShape(QFrame::NoFrame);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_->setFocusPolicy(Qt::NoFocus);
    area_->setAccessibleName(text);
    area_->viewport()->setAutoFillBackground(false);
    label_ = new QLabel;
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Assistive tools read the text without the break marks the label may carry.
    label_->setAccessibleName(text);
    area_->setWidget(label_);
    label_->setAutoFillBackground(false);

    for (const Answer a : answersOf(buttons)) {
        auto* button = new QPushButton(QString::fromLatin1(buttonCaption(a)), this);
        connect(button, &QPushButton::clicked, this, [this, a] { choose(a); });
        buttons_.append(button);
    }
    // Enter takes the first button, as the buttons read; Escape the safe answer.
    buttons_.front()->setDefault(true);
    buttons_.front()->setFocus();

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) fitInto(screen->availableGeometry());
}

Answer MessageDialog::ask() {
    exec();
    return answer_;
}

void MessageDialog::fitInto(const QRect& screenArea) {
    label_->ensurePolished();
    const QFontMetrics fm = label_->fontMetrics();
    const int iconSize = icon_ ? icon_->width() : 0;
    const int textLeft = kMargin + (icon_ ? iconSize + kGap : 0);
    int buttonHeight = 0;
    int buttonRow = 0;
    for (QPushButton* b : buttons_) {
        buttonHeight = std::max(buttonHeight, b->sizeHint().height());
        buttonRow += std::max(kMinButtonWidth, b->sizeHint().width()) + (buttonRow > 0 ? kButtonGap : 0);
    }
    const int chromeHeight = 2 * kMargin + kGap + buttonHeight;
    const int widest = std::max(fm.averageCharWidth() * 8, screenArea.width() - 2 * kScreenGap - textLeft - kMargin);
    const int tallest = std::max(fm.lineSpacing() * 2, screenArea.height() - 2 * kScreenGap - chromeHeight);

    // A label measures at no less than its minimum width: forget the size of an earlier fit.
    label_->setMinimumSize(0, 0);
    label_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const auto heightAt = [&](int width) {
        label_->setText(wrappable(text_, fm, width));
        return label_->heightForWidth(width);
    };
    // One line where it is not much longer than a readable line (no word left alone on a
    // second line); a readable measure where the screen allows it.
    const int natural = fm.size(0, text_).width() + 1;
    const int readable = fm.averageCharWidth() * kReadableChars;
    int width = std::min(natural <= readable * 5 / 4 ? natural : readable, widest);
    int height = heightAt(width);
    if (height > tallest && width < widest) height = heightAt(width = widest);
    const bool scrolls = height > tallest;
    int scrollBar = 0;
    if (scrolls) {
        scrollBar = area_->verticalScrollBar()->sizeHint().width();
        height = heightAt(width = widest - scrollBar);
    }
    label_->setFixedSize(width, height);
    const int shownHeight = scrolls ? tallest : height;
    const int bodyHeight = std::max(shownHeight, iconSize);
    area_->setGeometry(textLeft, kMargin + (bodyHeight - shownHeight) / 2, width + scrollBar, shownHeight);
    area_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // A text that scrolls is reached from the keyboard as well.
    area_->setFocusPolicy(scrolls ? Qt::StrongFocus : Qt::NoFocus);
    if (icon_) icon_->move(kMargin, kMargin);

    const int boxWidth = std::max(textLeft + width + scrollBar + kMargin, buttonRow + 2 * kMargin);
    const int boxHeight = kMargin + bodyHeight + kGap + buttonHeight + kMargin;
    int x = (boxWidth - buttonRow) / 2;
    for (QPushButton* b : buttons_) {
        const int w = std::max(kMinButtonWidth, b->sizeHint().width());
        b->setGeometry(x, boxHeight - kMargin - buttonHeight, w, buttonHeight);
        x += w + kButtonGap;
    }
    setFixedSize(boxWidth, boxHeight);
}

void MessageDialog::reject() { choose(safeAnswer(set_)); }

void MessageDialog::choose(Answer answer) {
    answer_ = answer;
    done(answer == safeAnswer(set_) && isQuestion(set_) ? Rejected : Accepted);
}

void MessageDialog::showEvent(QShowEvent* event) {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (const QScreen* screen = owner ? owner->screen() : this->screen()) fitInto(screen->availableGeometry());
    // Centres the box over its window, inside the screen.
    QDialog::showEvent(event);
}

void MessageDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintPanel(p, rect());
}

}  // namespace vela::app
