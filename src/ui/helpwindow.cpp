#include "ui/helpwindow.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QUrl>
#include <cmath>

#include "ui/captionfit.h"
#include "ui/helpfile.h"
#include "ui/helplayout.h"
#include "ui/programpictures.h"
#include "ui/twips.h"

namespace {

const QColor kLightBlue(0, 153, 255);

int pixels(double twips) {
    return int(std::lround(twips / double(TwipsPerPixel)));
}

// A size in twips as whole pixels, rounded up so that it is never below the size asked for.
QSize pixelsAtLeast(QSizeF twips) {
    return QSize(int(std::ceil(twips.width() / double(TwipsPerPixel))),
                 int(std::ceil(twips.height() / double(TwipsPerPixel))));
}

}  // namespace

HelpWindow::HelpWindow(const QString& programFolder)
    : QWidget(nullptr),
      programFolder_(programFolder),
      txtHelpFile_(new QPlainTextEdit(this)),
      lblAdvert_(new QLabel(this)),
      imgAdvert_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quorvel Help"));
    setWindowIcon(compiledInIcon(QStringLiteral(":/icons/help.png")));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    txtHelpFile_->setObjectName(QStringLiteral("txtHelpFile"));
    txtHelpFile_->setReadOnly(true);
    txtHelpFile_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    txtHelpFile_->setFont(fixed);

    imgAdvert_->setObjectName(QStringLiteral("imgAdvert"));
    imgAdvert_->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    imgAdvert_->resize(pixelsAtLeast(kHelpBannerTwips));

    lblAdvert_->setObjectName(QStringLiteral("lblAdvert"));
    lblAdvert_->setText(QStringLiteral("GET PAID TO RECEIVE E-MAILS ON SUBJECTS OF YOUR CHOICE!!"));
    lblAdvert_->setAlignment(Qt::AlignCenter);
    imgAdvert_->setAccessibleName(lblAdvert_->text());  // a picture says nothing to a screen reader
    lblAdvert_->resize(pixelsAtLeast(kHelpAdvertTwips));
    // Bold, at the largest size up to 8 points at which the line fits (as the main window's
    // captions, see captionfit.h).
    QFont bold = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    bold.setBold(true);
    for (qreal points = 8; points >= 5; points -= 0.25) {
        bold.setPointSizeF(points);
        if (captionFits(*lblAdvert_, bold))
            break;
    }
    lblAdvert_->setFont(bold);
    QPalette advert = lblAdvert_->palette();
    advert.setColor(QPalette::WindowText, kLightBlue);
    lblAdvert_->setPalette(advert);

    for (QLabel* control : {imgAdvert_, lblAdvert_}) {
        control->setCursor(Qt::CrossCursor);
        control->installEventFilter(this);
    }

    resize(865, 621);
    loadHelpFile();
}

void HelpWindow::loadHelpFile() {
    // Every line ends in a line break, the last one included.
    QString text;
    for (const QString& line : readHelpFile(helpFilePath(programFolder_)))
        text += line + u'\n';
    txtHelpFile_->setPlainText(text);
}

void HelpWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized())
        return;
    const QSize outer = frameGeometry().size();
    const HelpLayout layout = layOutHelpWindow(QSizeF(outer) * double(TwipsPerPixel));
    const QSize grown = pixelsAtLeast(layout.window).expandedTo(outer);
    if (grown != outer) {
        resize(grown - (outer - size()));  // lays out again at the grown size
        return;
    }
    txtHelpFile_->setGeometry(pixels(layout.text.x()), pixels(layout.text.y()),
                              pixels(layout.text.width()), pixels(layout.text.height()));
    imgAdvert_->move(pixels(layout.banner.x()), pixels(layout.banner.y()));
    lblAdvert_->move(pixels(layout.advert.x()), pixels(layout.advert.y()));
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // A click: the left button let go over the control.
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* release = static_cast<QMouseEvent*>(event);
        const auto* control = static_cast<QWidget*>(watched);
        if (release->button() == Qt::LeftButton &&
            control->rect().contains(release->position().toPoint()))
            openAdvert();
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::openAdvert() {
    // The platform opens it in the user's browser; a failure is not reported.
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://quorvel.example/")));
}
