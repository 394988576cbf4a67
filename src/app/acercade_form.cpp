#include "app/acercade_form.h"

#include "app/modal_window.h"
#include "update/version_check.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QUrl>

namespace vela::app {
namespace {

// The maker's addresses and rights notice.
const QString kMaker = QStringLiteral("Vela Acoustic Labs");
const QString kWebAddress = QStringLiteral("www.vela-acoustic.example");
const QString kMailAddress = QStringLiteral("support@vela-acoustic.example");

QString ownFileVersion() {
    return QStringLiteral("%1.%2.%3.%4").arg(kOwnMajor).arg(kOwnMinor).arg(kOwnRelease).arg(kOwnBuild);
}

}  // namespace

LinkLabel::LinkLabel(const QString& text, QString url, int margin, QWidget* parent)
    : QLabel(text, parent), url_(std::move(url)), margin_(margin) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setProperty("role", "status");
    setToolTip(url_);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    const QRect inside = rect().adjusted(margin_, margin_, -margin_, -margin_);
    setCursor(inside.contains(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QLabel::mouseMoveEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit activated(url_);
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        emit activated(url_);
        return;
    }
    QLabel::keyPressEvent(event);
}

TAcercadeForm::TAcercadeForm(AppContext&, QWidget* parent) : BorderlessWindow(QStringLiteral("About K-TRM"), {409, 297}, parent) {
    makeModal(*this);
    addLogo({18, 14, 120, 40});

    VersionLabel = new QLabel(this);
    VersionLabel->setProperty("role", "banner");
    VersionLabel->setGeometry(150, 16, 220, 20);
    BuildLabel = new QLabel(this);
    BuildLabel->setProperty("role", "legend");
    BuildLabel->setGeometry(150, 38, 220, 16);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName(QStringLiteral("About the maker"));
    Memo1->setGeometry(18, 70, 373, 110);
    Memo1->setPlainText(kMaker + QStringLiteral(
                                     " builds powered loudspeakers and the digital audio controllers inside them. "
                                     "This program loads a model's factory presets and the controller's DSP "
                                     "operating system.\n\nWeb: ") +
                        kWebAddress + QStringLiteral("\nE-mail: ") + kMailAddress);

    web = new LinkLabel(kWebAddress, QStringLiteral("http://") + kWebAddress, 5, this);
    web->setGeometry(18, 190, 250, 22);
    mail = new LinkLabel(kMailAddress, QStringLiteral("mailto:") + kMailAddress, 3, this);
    mail->setGeometry(18, 214, 250, 22);
    // The icons come last in the keyboard order, after the window's own controls.
    addCloseIcon({377, 10});

    connect(web, &LinkLabel::activated, this, &TAcercadeForm::webClick);
    connect(mail, &LinkLabel::activated, this, &TAcercadeForm::mailClick);

    RightsLabel1 = new QLabel(this);
    RightsLabel1->setProperty("role", "legend");
    RightsLabel1->setGeometry(18, 244, 373, 16);
    RightsLabel2 = new QLabel(this);
    RightsLabel2->setProperty("role", "legend");
    RightsLabel2->setGeometry(18, 260, 373, 16);
    // The caption stays the created one until the window is first shown.
    fillLabels();
}

void TAcercadeForm::showEvent(QShowEvent* event) {
    FormActivate();
    BorderlessWindow::showEvent(event);
}

void TAcercadeForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    BorderlessWindow::changeEvent(event);
}

void TAcercadeForm::FormActivate() {
    setWindowTitle(QStringLiteral("About HALDA40 V 2.0  -  Vela Acoustic Labs"));
    // Assistive tools name the window by its caption.
    setAccessibleName(windowTitle());
    fillLabels();
}

void TAcercadeForm::fillLabels() {
    VersionLabel->setText(QStringLiteral("HALDA40 V 2.0"));
    BuildLabel->setText(QStringLiteral("Build ") + ownFileVersion());
    RightsLabel1->setText(QStringLiteral("Copyright (C) ") + kMaker + QStringLiteral(". All rights reserved."));
    RightsLabel2->setText(QStringLiteral("Unauthorised copying or distribution is prohibited."));
}

void TAcercadeForm::webClick() { QDesktopServices::openUrl(QUrl(web->url())); }

void TAcercadeForm::mailClick() { QDesktopServices::openUrl(QUrl(mail->url())); }

}  // namespace vela::app
