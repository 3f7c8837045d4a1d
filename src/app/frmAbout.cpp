#include "app/frmAbout.h"

#include "app/AppIcon.h"
#include "app/Version.h"
#include "app/modGlobals.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Fields.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel *link(const QString &name, const QString &text, QWidget *parent)
{
    QLabel *label = NamedLabel(
            name, QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), parent);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setAccessibleName(text);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

QLabel *wrapped(QLabel *label)
{
    label->setWordWrap(true);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : FormDialog(parent)
    , picIcon(NamedLabel(QStringLiteral("picIcon"), QString(), this))
    , lblTitle(NamedLabel(QStringLiteral("lblTitle"), QString(), this))
    , lblVersion(NamedLabel(QStringLiteral("lblVersion"), QString(), this))
    , lblWebPage(link(QStringLiteral("lblWebPage"), kMakerWebAddress, this))
    , lblWebAddr(link(QStringLiteral("lblWebAddr"), kMakerMailAddress, this))
    , lblDescription(
              wrapped(NamedLabel(QStringLiteral("lblDescription"),
                                 QStringLiteral("This program is protected by copyright "
                                                "law. Copying or passing it on in whole or "
                                                "in part without permission is not allowed."),
                                 this)))
    , cmdOK(NamedDialogButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), this, true))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(AppIcon());
    picIcon->setPixmap(AppPixmap(64));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblTitle->setFont(big);
    layOut();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(lblWebPage, &QLabel::linkActivated, this, &frmAbout::lblWebPage_Click);
    connect(lblWebAddr, &QLabel::linkActivated, this, &frmAbout::lblWebAddr_Click);
}

// The icon beside the title, the addresses with their notes, and the button.
void frmAbout::layOut()
{
    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(picIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(wrapped(new QLabel(QStringLiteral("Your questions, comments and suggestions "
                                                      "are very important to us. If you would "
                                                      "like to give us feedback visit our "
                                                      "website:"),
                                       this)),
                    2, 1);
    grid->addWidget(lblWebPage, 3, 1);
    grid->addWidget(
            wrapped(new QLabel(QStringLiteral("Please report any errors by sending e-mail to:"),
                               this)),
            4, 1);
    grid->addWidget(lblWebAddr, 5, 1);
    grid->addWidget(lblDescription, 6, 1);
    grid->addLayout(ButtonRow({cmdOK}), 7, 0, 1, 2);
    grid->setRowMinimumHeight(6, 60);
    resize(440, sizeHint().height());
}

void frmAbout::Form_Load()
{
    CentreWindow(this);
    setWindowTitle(QStringLiteral("About ") + kProductName + QLatin1Char(' ')
                   + QStringLiteral("- Version 1.0"));
    lblVersion->setText(VersionText());
    lblTitle->setText(kProductName);
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::lblWebPage_Click()
{
    LaunchAddress = kMakerWebAddress;
    OpenAddress();
}

void frmAbout::lblWebAddr_Click()
{
    LaunchMailAddress = kMakerMailAddress;
    OpenMailAddress();
}
