// Starting the program without a display, and what the keyboard and screen readers find.
#include "app/connect_form.h"
#include "app/gui_harness.h"
#include "app/library_form.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QComboBox>
#include <QFileDialog>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QAccessible>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace vela::test {
namespace {

TEST(Start, WithoutADisplaySaysSoInOneLineAndExitsTwo) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows always has its desktop";
#endif
    QTemporaryDir dir;  // where a crash would leave its core file
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(VELAUPDATE_BINARY, {"--sim"});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("no display")) << err.toStdString();
    EXPECT_TRUE(err.contains("velaupdate --help")) << err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

// Every control the user can reach is named by its caption for screen readers and tests.
void expectNamedControls(QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->focusPolicy() == Qt::NoFocus) continue;
        if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QComboBox*>(w) && !qobject_cast<QLineEdit*>(w))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
    }
}

// The next control that Tab reaches after `from`.
QWidget* nextByTab(QWidget* from) {
    for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) return w;
    return from;
}

TEST(Accessibility, ControlsAreNamedAndTabGoesModelManualBackupUpdate) {
    sim::SimOptions o;
    o.empty = true;  // the list stays free and the send panel shows
    GuiHarness h(o);
    auto* connectForm = h.app->windows().connect;
    expectNamedControls(connectForm);
    click(control(connectForm, "USB"));
    ASSERT_TRUE(h.settle());
    auto* lib = h.app->windows().library;
    lib->ComboBox1->setCurrentIndex(0);
    emit lib->ComboBox1->activated(0);
    ASSERT_TRUE(h.settle());
    expectNamedControls(lib);
    QWidget* manual = nextByTab(lib->ComboBox1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(manual)->text(QAccessible::Name), "Manual");
    // The backup choice is made before Update is pressed.
    EXPECT_EQ(nextByTab(manual), lib->BackupFirstCheck);
    EXPECT_EQ(nextByTab(lib->BackupFirstCheck), control(lib, "Update M01"));
    EXPECT_EQ(nextByTab(control(lib, "Update M01")), lib->ConnectB);
}

TEST(LibraryWindow, MemoryNamesAreNoTabStopsAndTheHistoryKeepsNamesWhole) {
    GuiHarness h;
    auto* lib = h.app->windows().library;
    lib->show();
    for (QLineEdit* e : lib->Edit) {
        QWidget* w = lib->ComboBox1;
        for (int i = 0; i < 40; ++i, w = nextByTab(w)) ASSERT_NE(w, e) << e->accessibleName().toStdString();
    }
    // Every line the history wraps ends between two items (", ") or between words of a
    // sentence, never inside a program's name such as "Cardioid Rear".
    QTextDocument* doc = lib->Memo2->document();
    const qreal width = lib->Memo2->viewport()->width() - 2 * doc->documentMargin();
    int listsWrapped = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (!b.text().trimmed().startsWith("M09:")) continue;
        // Laid out as the memo lays it out.
        QTextLayout layout(b.text(), lib->Memo2->font());
        QTextOption option;
        option.setWrapMode(lib->Memo2->wordWrapMode());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) line.setLineWidth(width);
        layout.endLayout();
        listsWrapped += layout.lineCount() > 1;
        for (int i = 0; i + 1 < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const QString end = b.text().mid(line.textStart(), line.textLength()).trimmed();
            EXPECT_TRUE(end.endsWith(',')) << end.toStdString();
        }
    }
    EXPECT_EQ(listsWrapped, 1);
}

TEST(LibraryWindow, MakeLibraryWithNothingLoadedWarnsThenAsksForTheFiles) {
    GuiHarness h;
    QString dialogTitle;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) {
                dialogTitle = d->windowTitle();
                d->reject();
            }
    });
    closer.start(10);
    h.app->windows().library->show();
    unlockService(h);
    click(h.app->windows().library->MakeLibraryB);
    ASSERT_TRUE(waitFor([&] { return !dialogTitle.isEmpty(); }));
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.boxes.texts.value(0), "You must to Load the files before saving");
    EXPECT_EQ(dialogTitle, "Load Files");
}

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

TEST(Start, LibraryWindowCloseIconEndsTheProgram) {
    GuiHarness h;
    int ends = 0;
    h.app->windows().connect->closer().quit = [&ends] { ++ends; };
    auto* lib = h.app->windows().library;
    lib->show();
    QWidget* close = control(lib, "Close");
    ASSERT_NE(close, nullptr);
    click(close);
    EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace vela::test
