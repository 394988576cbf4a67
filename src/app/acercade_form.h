#pragma once
// TAcercadeForm, the About window: the version, the build, the maker's addresses and rights
// notice. Modal, closed by its close icon.

#include "app/borderless_window.h"

#include <QLabel>

class QPlainTextEdit;

namespace vela::app {

struct AppContext;

// A label that opens an address when clicked (or activated from the keyboard). The pointer
// becomes a hand only well inside the label: `margin` pixels from every edge.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& text, QString url, int margin, QWidget* parent);
    const QString& url() const { return url_; }

signals:
    void activated(const QString& url);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString url_;
    int margin_;
};

class TAcercadeForm : public BorderlessWindow {
    Q_OBJECT
public:
    explicit TAcercadeForm(AppContext& context, QWidget* parent = nullptr);

    QLabel* VersionLabel;
    QLabel* BuildLabel;
    LinkLabel* web;
    LinkLabel* mail;
    QPlainTextEdit* Memo1;
    QLabel* RightsLabel1;
    QLabel* RightsLabel2;

public slots:
    void FormActivate();
    void webClick();
    void mailClick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fillLabels();
};

}  // namespace vela::app
