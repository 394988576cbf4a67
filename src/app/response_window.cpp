#include "app/response_window.h"

#include "app/app_context.h"
#include "plot/response_plot.h"
#include "session/preset_document.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace vela::app {
namespace {

// The plot at four fifths of its own size, where its smallest lettering stays legible, under
// the title row; on a smaller screen the window shrinks to what the screen has room for.
constexpr QSize kFullSize{1152, 900};

constexpr QMargins kFrame{16, 52, 16, 16};  // around the plot: the title row above it

QSize sizeForScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return kFullSize;
    const QSize room = screen->availableGeometry().size() * 0.95 - QSize(32, 68);
    // The plot keeps its proportions, so the window takes them too.
    const QSize plot = (kFullSize - QSize(32, 68)).scaled(room.boundedTo(kFullSize - QSize(32, 68)), Qt::KeepAspectRatio);
    return (plot + QSize(32, 68)).expandedTo({640, 480});
}

}  // namespace

// Paints the plot at the screen's own resolution, so that it stays sharp at any scaling.
class ResponseWindow::PlotView : public QWidget {
public:
    explicit PlotView(QWidget* parent) : QWidget(parent) {}

    void setPreset(const PresetParameters* preset) {
        preset_ = preset;
        update();
    }
    void setCombined(bool combined) {
        combined_ = combined;
        update();
    }
    const PresetParameters* preset() const { return preset_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (preset_) plot::drawResponsePlot(painter, rect(), *preset_, preset_->MainSystemName, combined_);
    }

private:
    const PresetParameters* preset_ = nullptr;
    bool combined_ = false;
};

ResponseWindow::ResponseWindow(AppContext& context, QWidget* parent)
    : BorderlessWindow(QStringLiteral("Response"), sizeForScreen(), parent),
      context_(context) {
    addLogo({16, 10, 96, 32});
    const int w = width();
    addBanner(QStringLiteral("Response"), {(w - 330) / 2, 14, 330, 24});
    CombinedBox = new QCheckBox(QStringLiteral("Combined"), this);
    CombinedBox->setToolTip(QStringLiteral("Both outputs in one pair of panels"));
    CombinedBox->setGeometry(w - 216, 14, 110, 24);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setGeometry(w - 96, 12, 80, 28);
    plot_ = new PlotView(this);
    plot_->setAccessibleName(QStringLiteral("Response plot"));
    plot_->setGeometry(QRect(QPoint(0, 0), size()).marginsRemoved(kFrame));

    // Undo, Open and New replace the document's preset: it is asked for again each time.
    plot_->setPreset(&context_.document.preset());
    listener_ = context_.document.subscribe([this] { plot_->setPreset(&context_.document.preset()); });
    connect(CombinedBox, &QCheckBox::toggled, this, [this](bool combined) { plot_->setCombined(combined); });
    connect(CloseButton, &QPushButton::clicked, this, &ResponseWindow::CerrarIconClick);
}

ResponseWindow::~ResponseWindow() { context_.document.unsubscribe(listener_); }

const PresetParameters* ResponseWindow::preset() const { return plot_->preset(); }

}  // namespace vela::app
