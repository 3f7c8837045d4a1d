#pragma once

#include "platform/report/Definition.h"
#include "platform/report/Layout.h"

#include <QString>

#include <vector>

class QPaintDevice;
class QPagedPaintDevice;

namespace db {
class Reader;
}

// The report engine: a definition and the rows of a forward-only reader, from its current row to
// its end, laid out page by page and painted, saved or exported. Every failure, of the rows or of
// the file written, arrives as db::DbError, as the error traps expect.
namespace report {

// Gives the device a report's page: the usual paper of this locale (Letter where the locale
// measures in inches, A4 elsewhere), the report's orientation and half-inch margins.
void SetUpPage(const Definition &definition, QPagedPaintDevice &device);

// Paints every page onto the device as it is set up; each page is painted and let go before
// the next is laid out. Returns the number of pages.
int Render(const Definition &definition, db::Reader &rows, QPagedPaintDevice &device);

// The pages as they would be painted on the device, kept to be looked at instead.
std::vector<Page> Record(const Definition &definition, db::Reader &rows,
                         const QPaintDevice &device);

// Writes the report as a PDF file; caption names the document (the report's title when empty).
// The file appears only when it is complete. Returns the number of pages.
int SavePdf(const Definition &definition, db::Reader &rows, const QString &path,
            const QString &caption = {});

// Writes the report's rows as CSV: a header line of the column captions, then one line per
// row, each written by AppendCsvLine (UTF-8, CRLF line ends, quoted where needed). The file
// appears only when it is complete.
void ExportCsv(const Definition &definition, db::Reader &rows, const QString &path);

} // namespace report
