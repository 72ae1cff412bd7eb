#include "ui/columnheadings.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace {
constexpr int HostColumns = 40;

// Spaces that move text from the end of `before` to as near `x` as the label's font allows.
QString spacesTo(const QFontMetrics& metrics, const QString& before, qreal x) {
    const qreal space = metrics.horizontalAdvance(u' ');
    const qreal gap = x - metrics.horizontalAdvance(before);
    return QString(std::max(1, int(std::lround(gap / space))), u' ');
}
}  // namespace

int rowTextLeft(const QListView& list) {
    // Item views draw their text one pixel inside the focus frame's margin.
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return list.x() + list.frameWidth() + margin;
}

QString columnHeadings(const QLabel& label, const QListView& list) {
    const QFontMetrics metrics(label.font());
    const qreal column = QFontMetricsF(list.font()).horizontalAdvance(u'M');
    const qreal hostLeft = rowTextLeft(list) - label.x();
    const qreal hostRight = hostLeft + HostColumns * column;

    const QString title = QStringLiteral("Address of server");
    QString text =
        spacesTo(metrics, {}, (hostLeft + hostRight - metrics.horizontalAdvance(title)) / 2);
    text += title;
    // The bar stands on the host column's last character, which a padded row keeps blank.
    const qreal barLeft = hostRight - column / 2 - metrics.horizontalAdvance(u'|') / 2.0;
    text += spacesTo(metrics, text, barLeft) + u'|';
    text += spacesTo(metrics, text, hostRight) + QStringLiteral("Port");
    return text;
}
