#include "app/smoothing_list.h"

#include "app/designer_controls.h"

#include <QComboBox>

#include <algorithm>
#include <array>

namespace vela::app {
namespace {

constexpr std::array<int, 5> kFractions{0, 3, 6, 12, 24};

}  // namespace

QComboBox* smoothingList(QWidget* parent, int fraction) {
    QComboBox* list = namedList(parent);
    for (const int n : kFractions)
        list->addItem(n == 0 ? QStringLiteral("No smoothing") : QStringLiteral("1/%1 octave").arg(n));
    list->setAccessibleName(QStringLiteral("Smoothing"));
    const auto at = std::find(kFractions.begin(), kFractions.end(), fraction);
    list->setCurrentIndex(at == kFractions.end() ? 0 : static_cast<int>(at - kFractions.begin()));
    return list;
}

int smoothingOf(const QComboBox& list) {
    return kFractions[static_cast<std::size_t>(std::clamp(list.currentIndex(), 0, int(kFractions.size()) - 1))];
}

}  // namespace vela::app
