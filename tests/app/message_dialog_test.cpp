// The message box: every text the program can show is wrapped and shown whole, on this screen
// and on a 1024 x 600 one at 100 % and 200 %; the button sets, their names and keys; one look
// whatever window asks.

#include "app/borderless_window.h"
#include "app/message_dialog.h"
#include "message_texts.h"
#include "window_harness.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vela::app {
namespace {

using test::messageTexts;

// A 1024 x 600 screen at 100 %, and the same screen at 200 % in the logical pixels the box is
// laid out in.
const QRect kSmallScreen(0, 0, 1024, 600);
const QRect kSmallScreenDoubled(0, 0, 512, 300);

QRect thisScreen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// The label has the room its text needs at its width, holds all of the text, and sits inside
// the box above the buttons; where the text scrolls, the keyboard reaches the scrolling area.
void expectShownWhole(const MessageDialog& box, const QRect& screen) {
    const QLabel* label = box.textLabel();
    const QRect needed =
        label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 1 << 20), Qt::TextWordWrap, label->text());
    EXPECT_LE(needed.width(), label->width());
    EXPECT_LE(needed.height(), label->height());
    EXPECT_EQ(QString(label->text()).remove(QChar(0x200B)), box.text());
    EXPECT_LE(box.width(), screen.width());
    EXPECT_LE(box.height(), screen.height());
    const QScrollArea* area = box.textArea();
    EXPECT_TRUE(box.rect().contains(area->geometry()));
    for (const QPushButton* b : box.buttons()) {
        EXPECT_TRUE(box.rect().contains(b->geometry())) << b->text().toStdString();
        EXPECT_FALSE(b->geometry().intersects(area->geometry())) << b->text().toStdString();
    }
    if (area->height() < label->height()) {
        EXPECT_EQ(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_TRUE(area->focusPolicy() & Qt::TabFocus);
        EXPECT_LE(label->width() + area->verticalScrollBar()->sizeHint().width(), area->width());
    } else {
        EXPECT_LE(label->width(), area->width());
    }
}

TEST(MessageDialog, EveryTextIsShownWholeOnABigAndOnASmallScreenAtBothScales) {
    for (const auto& m : messageTexts()) {
        const QString text = QString::fromStdString(m.text);
        for (const QRect& screen : {thisScreen(), kSmallScreen, kSmallScreenDoubled}) {
            SCOPED_TRACE(std::string(m.name) + " on " + std::to_string(screen.width()) + "x" +
                         std::to_string(screen.height()));
            MessageDialog box(m.kind, m.buttons, text);
            box.fitInto(screen);
            expectShownWhole(box, screen);
        }
    }
}

TEST(MessageDialog, OnScreenTheWholeLabelIsVisibleAndTheBoxInsideTheScreen) {
    const QRect screen = thisScreen();
    for (const auto& m : messageTexts()) {
        SCOPED_TRACE(m.name);
        MessageDialog box(m.kind, m.buttons, QString::fromStdString(m.text));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        expectShownWhole(box, screen);
        EXPECT_TRUE(screen.contains(box.frameGeometry()));
        const QLabel* label = box.textLabel();
        if (box.textArea()->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
            EXPECT_EQ(label->visibleRegion().boundingRect(), label->rect());
        }
        box.hide();
    }
}

TEST(MessageDialog, AScrollingTextHasRoomBesideItsScrollBarAndScrollsToItsLastLine) {
    QStringList lines;
    for (int i = 1; i <= 200; ++i) lines << QString("Memory %1 could not be read back from the cabinet.").arg(i);
    MessageDialog box(MessageKind::Warning, Buttons::Ok, lines.join('\n'));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QScrollArea* area = box.textArea();
    const QScrollBar* bar = area->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // What the area shows of the text is as wide as the text: nothing is hidden under the bar.
    const QLabel* label = box.textLabel();
    EXPECT_LE(label->width(), area->viewport()->width());
    EXPECT_FALSE(QRect(bar->mapTo(area, QPoint()), bar->size()).intersects(area->viewport()->geometry()));
    EXPECT_EQ(label->visibleRegion().boundingRect().width(), label->width());
    // Scrolled to the end, the last line is in sight.
    EXPECT_EQ(bar->maximum(), label->height() - area->viewport()->height());
    EXPECT_TRUE(box.rect().contains(QRect(area->mapTo(&box, QPoint()), area->size())));
}

TEST(MessageDialog, WrapsAtAReadableWidthEvenOnAWideScreen) {
    const QRect wide(0, 0, 3840, 2160);
    for (const auto& m : messageTexts()) {
        SCOPED_TRACE(m.name);
        MessageDialog box(m.kind, m.buttons, QString::fromStdString(m.text));
        box.fitInto(wide);
        EXPECT_LE(box.textLabel()->width(), box.textLabel()->fontMetrics().averageCharWidth() * 80);
    }
    // A short notice makes a small box.
    MessageDialog notice(MessageKind::Information, Buttons::Ok, "Turn Off and ON the cabinet.");
    notice.fitInto(wide);
    EXPECT_LT(notice.width(), 400);
}

struct ButtonSet {
    Buttons buttons;
    QStringList captions;
};

const ButtonSet kSets[] = {{Buttons::Ok, {"OK"}},
                           {Buttons::Yes, {"Yes"}},
                           {Buttons::YesNo, {"Yes", "No"}},
                           {Buttons::YesNoCancel, {"Yes", "No", "Cancel"}},
                           {Buttons::OkCancel, {"OK", "Cancel"}}};

// Shows the box modally, does `act` once it is up, and returns the answer.
Answer askAndDo(MessageDialog& box, const std::function<void()>& act) {
    QTimer::singleShot(0, &box, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
        act();
    });
    return box.ask();
}

TEST(MessageDialog, OffersTheFixedButtonSetsNamedByTheirCaptionsAndReachedByTab) {
    for (const ButtonSet& set : kSets) {
        SCOPED_TRACE(set.captions.join('/').toStdString());
        MessageDialog box(MessageKind::Warning, set.buttons, "Go on?");
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        QStringList captions;
        for (QPushButton* b : box.buttons()) captions << b->text();
        EXPECT_EQ(captions, set.captions);
        const std::vector<QWidget*> chain = test::keyboardOrder(&box);
        EXPECT_EQ(chain, std::vector<QWidget*>(box.buttons().begin(), box.buttons().end()));
        test::expectNamedControls(&box);
        box.hide();
    }
}

TEST(MessageDialog, EscapeGivesTheSafeAnswerAndEveryButtonItsOwn) {
    for (const ButtonSet& set : kSets) {
        SCOPED_TRACE(set.captions.join('/').toStdString());
        {
            MessageDialog box(MessageKind::Warning, set.buttons, "Go on?");
            EXPECT_EQ(askAndDo(box, [&] { QTest::keyClick(&box, Qt::Key_Escape); }), safeAnswer(set.buttons));
        }
        for (int i = 0; i < set.captions.size(); ++i) {
            MessageDialog box(MessageKind::Warning, set.buttons, "Go on?");
            const Answer a = askAndDo(box, [&] { test::click(box.buttons()[i]); });
            EXPECT_EQ(QString::fromLatin1(buttonCaption(a)), set.captions[i]);
        }
    }
    // Enter takes the first button; Tab and Space the second.
    MessageDialog enter(MessageKind::Warning, Buttons::YesNo, "Go on?");
    EXPECT_EQ(askAndDo(enter, [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }), Answer::Yes);
    MessageDialog second(MessageKind::Warning, Buttons::YesNo, "Go on?");
    EXPECT_EQ(askAndDo(second,
                       [&] {
                           QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                           QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
                       }),
              Answer::No);
}

double meanLightness(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) sum += QColor(image.pixel(x, y)).lightnessF();
    return sum / (image.width() * image.height());
}

TEST(MessageDialog, LooksTheSameWhateverWindowItBelongsTo) {
    BorderlessWindow panel("Panel", {400, 300});
    QWidget plain;  // a window with the platform's light look
    const QString text = "You must open a library before the sending";
    MessageDialog alone(MessageKind::Warning, Buttons::Ok, text);
    MessageDialog onPanel(MessageKind::Warning, Buttons::Ok, text, &panel);
    MessageDialog onPlain(MessageKind::Warning, Buttons::Ok, text, &plain);
    const QImage picture = alone.grab().toImage();
    EXPECT_EQ(onPanel.grab().toImage(), picture);
    EXPECT_EQ(onPlain.grab().toImage(), picture);
    EXPECT_LT(meanLightness(picture), 0.35);
}

}  // namespace
}  // namespace vela::app
