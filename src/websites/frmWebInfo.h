#pragma once

#include "platform/db/RowAsRead.h"
#include "platform/ui/Form.h"

#include <functional>

class KeyedToolBar;
class LinkCheck;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
struct LinkResult;

// The web site directory: one site at a time, chosen in the web site picker, with its address,
// company, postal address, telephone, contact and notes. A site is new while no row of the
// directory has the number in txtWebID, and existing otherwise; after every save the fields are
// empty again. The site's address and contact can be opened in the desktop's browser and mail
// program, and the whole directory printed. The addresses are checked on request, the shown
// site's or every site's, and the results of the session listed.
class frmWebInfo : public FormDialog
{
    Q_OBJECT
public:
    explicit frmWebInfo(QWidget *parent = nullptr);

    KeyedToolBar *Toolbar1;
    QLineEdit *txtWebID;
    QLineEdit *txtWebName;
    QLineEdit *txtWebAddress;
    QLineEdit *txtCompany;
    QLineEdit *txtAddress;
    QLineEdit *txtCity;
    QLineEdit *txtState;
    QLineEdit *txtZip;
    QLineEdit *txtCountry;
    QLineEdit *txtPhoneNum;
    QLineEdit *txtFaxNum;
    QLineEdit *txtPointofContact;
    QLineEdit *txtEmail;
    QPlainTextEdit *txtNotes;
    QPushButton *cmdShow;
    QPushButton *cmdGoToWeb;
    QPushButton *cmdSendEmail;
    QLabel *lblLinkStatus;
    QPushButton *cmdCheckLink;
    QPushButton *cmdCheckAll;
    QTreeWidget *lstLinks;
    // Closing the window cancels what it still checks.
    LinkCheck *LinkChecker;

    // Set by the last save or delete: the site in the fields has a row in the directory.
    bool WebFound = false;

    void Form_Load() override;
    void cmdShow_Click();
    void cmdGoToWeb_Click();
    void cmdSendEmail_Click();
    void Toolbar1_ButtonClick(const QString &key);

    // Fills the fields from the row of the site chosen in the picker (SelectedWebId).
    void SelectFromWebName();
    void ClearAllFields();
    // Updates the site's row when it has one, or adds a row; logs which. True when saved.
    bool AddEditWebName();
    // Deletes the site's row when it has one. True (and WebFound) when it was deleted.
    bool DeleteName();
    void SaveWebSite();
    void RemoveWebSite();
    void PrintWebSites();
    void HandleExitClick();

    // Checks the shown site's address, or every site's in the directory.
    void cmdCheckLink_Click();
    void cmdCheckAll_Click();
    // Keeps a finished check for the session and shows it, in the list and, for the shown site,
    // beside its address.
    void ShowLinkResult(const LinkResult &result);
    void ShowLinkStatus();

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The constructor's parts, in the order the controls are made (which is their tab order).
    void buildFields(QGroupBox *site, QGroupBox *postal, QGroupBox *contact);
    void buildButtons(QGroupBox *site, QGroupBox *contact);
    void buildLinkList();
    void layOutFrames(QGroupBox *site, QGroupBox *postal, QGroupBox *contact);
    void layOut(QGroupBox *site, QGroupBox *postal, QGroupBox *contact);
    void connectHandlers();
    // The fields in the order of the directory's columns, webid first.
    QList<QLineEdit *> lineFields() const;
    void startLinkCheck(const QString &address, const QString &site);
    void listLink(const LinkResult &result);
    QString shownKey() const;

    // The site the fields show, as it was read: a save changes it only while it is still so.
    db::RowAsRead shown_;
};
