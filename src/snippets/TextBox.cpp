#include "snippets/TextBox.h"

#include "snippets/LineEnds.h"

#include <QDropEvent>
#include <QFontMetricsF>
#include <QMimeData>

TextBox::TextBox(QWidget *parent)
    : QTextEdit(parent)
{
    // Pasted or dropped formatting would be lost on saving anyway; take only the text.
    setAcceptRichText(false);
}

void TextBox::setText(const QString &text)
{
    given_ = text;
    setPlainText(text);
    document()->setModified(false);
}

QString TextBox::text() const
{
    if (!document()->isModified())
        return given_;
    // The raw text keeps non-breaking spaces, which the plain text would turn into blanks.
    return KeepLineEnds(given_, document()->toRawText());
}

void TextBox::setTabWidth(int characters)
{
    setTabStopDistance(QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')) * characters);
}

bool TextBox::fromOutside(const QDropEvent *event) const
{
    return dropHandler_ && event->source() != this && event->source() != viewport();
}

void TextBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (!fromOutside(event))
        return QTextEdit::dragEnterEvent(event);
    if (event->mimeData()->hasUrls() || event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (!fromOutside(event))
        return QTextEdit::dragMoveEvent(event);
    event->acceptProposedAction();
}

void TextBox::dropEvent(QDropEvent *event)
{
    if (!fromOutside(event))
        return QTextEdit::dropEvent(event);
    event->acceptProposedAction();
    dropHandler_(event->mimeData());
}
