#include "app/frmSplash.h"

#include "app/AppIcon.h"
#include "app/Version.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QFrame *rule(const QString &name, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmSplash::frmSplash(QWidget *parent)
    : FormDialog(parent)
    , Frame1(new QFrame(this))
    , Picture1(new QLabel(Frame1))
    , lblProductName(new QLabel(Frame1))
    , lblVersion(new QLabel(Frame1))
    , lblDescription(new QLabel(QStringLiteral("Catalogue of files, source-code snippets and web "
                                               "sites."),
                                Frame1))
    , lblDescription2(new QLabel(QStringLiteral("Copyright \u00a9 the Corvina developers. All "
                                                "rights reserved."),
                                 Frame1))
    , Line1(rule(QStringLiteral("Line1"), Frame1))
    , Line1b(rule(QStringLiteral("Line1b"), Frame1))
    , Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setStyleSheet(QStringLiteral("QFrame#Frame1 { background: white; border: 2px solid "
                                         "#1f3f66; }"));
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(AppPixmap(96));
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription2->setObjectName(QStringLiteral("lblDescription2"));
    lblDescription->setWordWrap(true);
    lblDescription2->setWordWrap(true);
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 2.4);
    big.setBold(true);
    lblProductName->setFont(big);
    lblProductName->setStyleSheet(QStringLiteral("color: #1f3f66;"));

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

    Frame1->installEventFilter(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1800);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
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
