#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

// frmHelp: the read-me in a read-only box, with the project's banner and advert line below it,
// both of which open the project's web page. Reads the read-me once, when created; deletes itself
// when closed (HelpLauncher makes a new one for the next Help click).
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& programFolder);  // a window of its own, never a child

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadHelpFile();
    void openAdvert();

    QString programFolder_;
    QPlainTextEdit* txtHelpFile_;
    QLabel* lblAdvert_;
    QLabel* imgAdvert_;
};
