#include "ui/captionfit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace {
constexpr qreal LargestPointSize = 8.0;
constexpr qreal SmallestPointSize = 5.0;
constexpr qreal Step = 0.25;

QString shownText(const QString& caption) {
    QString text = caption;
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

// The width the style leaves for the caption: beside a check box's box, inside a button's
// margins.
int captionRoom(const QWidget& control) {
    const QStyle* style = control.style();
    if (qobject_cast<const QCheckBox*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(&control);
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, &control).width();
    }
    if (qobject_cast<const QPushButton*>(&control))
        return control.width() -
               2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &control) +
                    style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &control));
    return control.width();
}
}  // namespace

bool captionFits(const QWidget& control, const QFont& font) {
    QString caption;
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        caption = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        caption = button->text();
    if (caption.isEmpty())
        return true;
    const QFontMetrics metrics(font);
    const int room = captionRoom(control);
    const auto* label = qobject_cast<const QLabel*>(&control);
    const int flags = label && label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
    const QRect needed = metrics.boundingRect(QRect(0, 0, room, 10000), flags, shownText(caption));
    return needed.width() <= room && needed.height() <= control.height();
}

void applyFittingFont(const QList<QWidget*>& controls, const QWidget* except) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    for (qreal size = LargestPointSize; size >= SmallestPointSize; size -= Step) {
        font.setPointSizeF(size);
        const bool allFit = std::all_of(controls.begin(), controls.end(), [&](QWidget* c) {
            return c == except || captionFits(*c, font);
        });
        if (allFit)
            break;
    }
    for (QWidget* control : controls)
        if (control != except)
            control->setFont(font);
}
