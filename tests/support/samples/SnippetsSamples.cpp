// Sample content of the windows of the snippet notebook, for their pictures.

#include "Samples.h"

#include "app/session.h"
#include "snippets/TextBox.h"
#include "snippets/frmSnippet.h"

#include <QTabWidget>
#include <QTreeWidget>

namespace {

struct Sample
{
    const char *title, *group, *site, *author, *code, *notes;
};

// A notebook as a user's might look: a few snippets of several groups and sites.
const Sample kSamples[] = {
        {"Trim a string in place", "C++", "Code Harbour", "Ada Byron",
         "#include <string>\n\n"
         "// Removes blanks and tabs at both ends.\n"
         "void trim(std::string &text)\n"
         "{\n"
         "\tconst auto first = text.find_first_not_of(\" \\t\");\n"
         "\tif (first == std::string::npos) {\n"
         "\t\ttext.clear();\n"
         "\t\treturn;\n"
         "\t}\n"
         "\tconst auto last = text.find_last_not_of(\" \\t\");\n"
         "\ttext = text.substr(first, last - first + 1);\n"
         "}\n",
         "Works on any std::string; for wide strings use std::wstring and L\" \\t\"."},
        {"Parse a CSV line", "Python", "Northwind Labs", "Grace Hopper",
         "import csv\n\nfor row in csv.reader(['a,\"b, c\",d']):\n    print(row)\n",
         "The csv module handles quoted commas."},
        {"Count rows per group", "SQL", "Open Archive", "Edgar Codd",
         "SELECT codetype, COUNT(*)\nFROM source\nGROUP BY codetype\nORDER BY 2 DESC;\n", ""},
        {"Find files changed today", "Shell", "Tern Tools", "Ken Thompson",
         "find . -type f -mtime -1 -print\n", "Add -name '*.c' to narrow it down."},
        {"Swap two integers", "C", "Code Harbour", "Dennis Ritchie",
         "void swap(int *a, int *b)\n{\n\tint t = *a;\n\t*a = *b;\n\t*b = t;\n}\n", ""},
};

void sampleNotebook(QWidget *window)
{
    auto *notebook = static_cast<frmSnippet *>(window);
    try {
        ReopenConnection();
        for (const Sample &sample : kSamples)
            RunCommand(QStringLiteral("INSERT INTO source ([datetime], title, codetype, code, "
                                      "notes, websitename, webaddress, author, email) "
                                      "VALUES ('2026-11-28 09:14:00', ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {QString::fromUtf8(sample.title), QString::fromUtf8(sample.group),
                        QString::fromUtf8(sample.code), QString::fromUtf8(sample.notes),
                        QString::fromUtf8(sample.site),
                        QStringLiteral("https://www.example.org/")
                                + QString::fromUtf8(sample.site).remove(QLatin1Char(' ')),
                        QString::fromUtf8(sample.author),
                        QString::fromUtf8(sample.author).section(QLatin1Char(' '), 0, 0).toLower()
                                + QStringLiteral("@example.org")});
    } catch (const std::exception &) {
        // Without the samples the picture shows whatever the notebook holds.
    }
    notebook->ensureLoaded();
    const QList<QTreeWidgetItem *> found = notebook->lstTitles->findItems(
            QStringLiteral("Trim a string in place"), Qt::MatchExactly);
    if (!found.isEmpty())
        notebook->lstTitles->setCurrentItem(found.first());
}

void notesTab(QWidget *window)
{
    auto *notebook = static_cast<frmSnippet *>(window);
    notebook->tabSnippet->setCurrentWidget(notebook->rtbNotes);
}

} // namespace

WindowSamples SnippetsSamples()
{
    return {
            {QStringLiteral("frmSnippet"), {sampleNotebook, {{QStringLiteral("notes"), notesTab}}}},
    };
}
