#include "snippets/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Tab, line feed, vertical tab, form feed, carriage return, the old end-of-file mark and escape
// (for coloured terminal output) are found in text files; other control characters are not.
bool isTextControl(char16_t c)
{
    return c == 0x09 || c == 0x0a || c == 0x0b || c == 0x0c || c == 0x0d || c == 0x1a || c == 0x1b;
}

bool looksLikeText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && !isTextControl(c.unicode()))
            return false;
    }
    return true;
}

} // namespace

TextFile DecodeText(const QByteArray &bytes)
{
    TextFile result;
    QString text;
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        text = decoder.decode(bytes);
        if (decoder.hasError()) {
            result.outcome = TextFile::NotText;
            return result;
        }
    } else {
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = QString::fromLatin1(bytes);
    }
    if (!looksLikeText(text)) {
        result.outcome = TextFile::NotText;
        return result;
    }
    result.outcome = TextFile::Read;
    result.text = text;
    return result;
}

TextFile ReadTextFile(const QString &path)
{
    TextFile result;
    const QFileInfo info(path);
    if (info.isDir()) {
        result.outcome = TextFile::NotText;
        return result;
    }
    if (info.size() > kLargestTextFile) {
        result.outcome = TextFile::TooLarge;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    // A file that grew since it was measured is still read no further than the limit.
    const QByteArray bytes = file.read(kLargestTextFile + 1);
    if (bytes.size() > kLargestTextFile) {
        result.outcome = TextFile::TooLarge;
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    return DecodeText(bytes);
}
