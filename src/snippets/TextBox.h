#pragma once

#include <QTextEdit>

#include <functional>

class QMimeData;

// A text box for long plain text (a snippet's code or notes). The text it is given is kept
// exactly, line ends, tabs and trailing blanks included, until the user edits it by hand; edited
// text comes back with the line ends it was given wherever its lines were there before, and the
// given text's usual line end ("\n" for a text without any) after the lines the user added (see
// KeepLineEnds). What is dropped onto it from outside goes to the
// drop handler instead of being inserted where it falls; a drag inside the box moves text as
// usual.
class TextBox : public QTextEdit
{
    Q_OBJECT
public:
    using DropHandler = std::function<void(const QMimeData *data)>;

    explicit TextBox(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    void clear() { setText(QString()); }
    // Tab stops every so many characters of the box's font.
    void setTabWidth(int characters);
    void onDrop(DropHandler handler) { dropHandler_ = std::move(handler); }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool fromOutside(const QDropEvent *event) const;

    QString given_;
    DropHandler dropHandler_;
};
