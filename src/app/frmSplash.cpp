#include "app/frmSplash.h"

#include "app/AppIcon.h"
#include "app/Version.h"
#include "platform/ui/Controls.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QFrame *rule(const QString &name, QWidget *parent)
{
    auto *line = Named(new QFrame(parent), name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *wrapped(QLabel *label)
{
    label->setWordWrap(true);
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget *parent)
    : FormDialog(parent)
    , Frame1(Named(new QFrame(this), QStringLiteral("Frame1")))
    , Picture1(NamedLabel(QStringLiteral("Picture1"), QString(), Frame1))
    , lblProductName(NamedLabel(QStringLiteral("lblProductName"), QString(), Frame1))
    , lblVersion(NamedLabel(QStringLiteral("lblVersion"), QString(), Frame1))
    , lblDescription(wrapped(NamedLabel(QStringLiteral("lblDescription"),
                                        QStringLiteral("Catalogue of files, source-code snippets "
                                                       "and web sites."),
                                        Frame1)))
    , lblDescription2(wrapped(NamedLabel(QStringLiteral("lblDescription2"),
                                         QStringLiteral("Copyright \u00a9 the Corvina developers. "
                                                        "All rights reserved."),
                                         Frame1)))
    , Line1(rule(QStringLiteral("Line1"), Frame1))
    , Line1b(rule(QStringLiteral("Line1b"), Frame1))
    , Timer1(Named(new QTimer(this), QStringLiteral("Timer1")))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setStyleSheet(QStringLiteral("QFrame#Frame1 { background: white; border: 2px solid "
                                         "#1f3f66; }"));
    Picture1->setPixmap(AppPixmap(96));
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 2.4);
    big.setBold(true);
    lblProductName->setFont(big);
    lblProductName->setStyleSheet(QStringLiteral("color: #1f3f66;"));
    layOut();

    Frame1->installEventFilter(this);
    Timer1->setInterval(1800);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

// The picture beside the name and version, the notes under them, all inside the frame.
void frmSplash::layOut()
{
    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(24, 20, 24, 20);
    grid->setHorizontalSpacing(20);
    grid->addWidget(Picture1, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblProductName, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(Line1, 2, 1);
    grid->addWidget(lblDescription, 3, 0, 1, 2);
    grid->addWidget(Line1b, 4, 0, 1, 2);
    grid->addWidget(lblDescription2, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Frame1);
    resize(460, sizeHint().height());
}

void frmSplash::Form_Load()
{
    CentreWindow(this);
    lblVersion->setText(VersionText());
    lblProductName->setText(kProductName);
    Timer1->start();
}

void frmSplash::Form_KeyPress()
{
    Timer1_Timer();
}

void frmSplash::Frame1_Click()
{
    Timer1_Timer();
}

// Whichever comes first closes the window; the timer is stopped so nothing fires after.
void frmSplash::Timer1_Timer()
{
    Timer1->stop();
    accept();
}

void frmSplash::keyPressEvent(QKeyEvent *)
{
    Form_KeyPress();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        Frame1_Click();
        return true;
    }
    return FormDialog::eventFilter(watched, event);
}
