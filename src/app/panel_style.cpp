#include "app/panel_style.h"

namespace vela::app {

QString panelStyleSheet() {
    // LedButton and IconButton paint themselves; the rules for plain buttons do not reach them
    // because their paint events draw everything.
    return QStringLiteral(R"(
QLabel { color: #d6d9dc; background: transparent; }
QLabel[role="banner"] { color: #e8ebee; font-weight: bold; letter-spacing: 1px; }
QLabel[role="legend"] { color: #8a9198; font-size: 8pt; letter-spacing: 1px; }
QLabel[role="status"] { color: #9fd3ea; }
QLineEdit, QSpinBox, QDoubleSpinBox, QComboBox, QPlainTextEdit, QTextEdit, QListWidget {
  color: #e4e6e8; background: #0c0e10; border: 1px solid #3a4047; border-radius: 2px;
  selection-background-color: #2f6f8c; selection-color: #ffffff; padding: 1px 3px;
}
QLineEdit:focus, QSpinBox:focus, QDoubleSpinBox:focus, QComboBox:focus, QPlainTextEdit:focus, QTextEdit:focus,
QListWidget:focus { border: 1px solid #6fb7d6; }
QLineEdit:disabled, QSpinBox:disabled, QDoubleSpinBox:disabled, QComboBox:disabled, QListWidget:disabled { color: #5f656b; }
QComboBox QAbstractItemView { color: #e4e6e8; background: #0c0e10; border: 1px solid #3a4047;
  selection-background-color: #2f6f8c; }
QComboBox::drop-down { border: none; width: 16px; }
QComboBox::down-arrow { image: url(:/artwork/arrow_down.svg); width: 8px; height: 5px; }
QSpinBox::up-button, QSpinBox::down-button, QDoubleSpinBox::up-button, QDoubleSpinBox::down-button {
  width: 14px; background: #22262b; border: none; }
QSpinBox::up-arrow, QDoubleSpinBox::up-arrow { image: url(:/artwork/arrow_up.svg); width: 7px; height: 4px; }
QSpinBox::down-arrow, QDoubleSpinBox::down-arrow { image: url(:/artwork/arrow_down.svg); width: 7px; height: 4px; }
QTabWidget::pane { border: 1px solid #3a4047; border-radius: 3px; top: -1px; }
QTabBar::tab { color: #aab1b8; background: #1a1d21; border: 1px solid #3a4047; border-bottom: none;
  padding: 4px 14px; margin-right: 2px; border-top-left-radius: 3px; border-top-right-radius: 3px; }
QTabBar::tab:selected { color: #e8ebee; background: #2a2f35; }
QTabBar::tab:focus { border-color: #6fb7d6; }
QLabel[role="notice"] { color: #1d2024; background: #f0c35a; border-radius: 3px; padding: 2px 8px; }
QProgressBar { color: #d6d9dc; background: #0a0b0d; border: 1px solid #3a4047; border-radius: 2px;
  text-align: center; }
QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #8fcfee, stop:1 #3f8fb3); }
QPushButton { color: #e4e6e8; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a3f46,
  stop:1 #22262b); border: 1px solid #0b0c0e; border-radius: 3px; padding: 3px 10px; }
QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #444a52, stop:1 #292d33); }
QPushButton:pressed { background: #1a1d21; }
QPushButton:focus { border: 1px solid #6fb7d6; }
QPushButton:disabled { color: #5f656b; }
QCheckBox { color: #d6d9dc; spacing: 6px; }
QGroupBox { color: #8a9198; border: 1px solid #3a4047; border-radius: 3px; margin-top: 8px; padding-top: 4px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QToolTip { color: #e4e6e8; background: #101214; border: 1px solid #3a4047; }
QToolButton { background: transparent; border: 1px solid transparent; border-radius: 3px; }
QToolButton:hover { border-color: #3a4047; }
QToolButton:focus { border-color: #6fb7d6; }
QScrollBar:vertical { background: #0c0e10; width: 10px; margin: 0; }
QScrollBar:horizontal { background: #0c0e10; height: 10px; margin: 0; }
QScrollBar::handle { background: #3a4047; border-radius: 3px; min-height: 20px; min-width: 20px; }
QScrollBar::handle:hover { background: #4a525a; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
QDialog { background-color: #1d2024; }
QTreeView, QListView, QTableView { color: #e4e6e8; background: #0c0e10; alternate-background-color: #131619;
  border: 1px solid #3a4047; selection-background-color: #2f6f8c; }
QTreeView::indicator { width: 11px; height: 11px; border: 1px solid #aab1b8; border-radius: 2px;
  background: #0c0e10; }
QTreeView::indicator:checked { background: #6fb7d6; border-color: #d6d9dc; image: url(:/artwork/check.svg); }
QHeaderView::section { color: #aab1b8; background: #22262b; border: none; border-right: 1px solid #3a4047;
  padding: 2px 4px; }
)");
}

}  // namespace vela::app
