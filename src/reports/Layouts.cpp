#include "reports/Layouts.h"

#include <vector>

namespace {

using report::Column;
using report::Definition;
using report::Orientation;

// Widths are shares of the page: names and e-mail addresses get more room than groups.
const std::vector<Definition> &layouts()
{
    static const std::vector<Definition> all = {
            {"rptFileList",
             "File List",
             {{"Name", "FileName", 1.8},
              {"Group", "FileGroup", 1.4},
              {"Description", "FileDesc", 3},
              {"Directory", "Directory", 2.8},
              {"Web Site", "WebSiteName", 1.7},
              {"Author", "Author", 1.5},
              {"Email", "email", 2.2}},
             Orientation::Portrait},
            {"rptSnippetList",
             "Snippet List",
             {{"Title", "Title", 2.4},
              {"Group", "CodeType", 1.4},
              {"Notes", "Notes", 3.2},
              {"Web Site", "WebSiteName", 1.7},
              {"Author", "Author", 1.5},
              {"Email", "email", 2.2}},
             Orientation::Portrait},
            {"rptWebSiteList",
             "Web Site List",
             {{"Web Site Name", "WebName", 2},
              {"Notes", "Notes", 3},
              {"Web Address", "WebAddress", 2.6},
              {"Company", "CompanyName", 1.8},
              {"Contact", "PointofContact", 1.6},
              {"Email", "email", 2}},
             Orientation::Landscape},
            {"rptUserList",
             "User List",
             {{"User ID", "UserID", 1.4},
              {"Group", "UserGroup", 1.4},
              {"Name", "UserName", 2.6},
              {"Expiration Date", "ExpirationDate", 1.4}},
             Orientation::Portrait},
            {"rptFileTypes", "File Types", {{"Types", "codetype", 1}}, Orientation::Portrait},
            {"rptFilePatterns",
             "File Patterns",
             {{"Patterns", "Patterns", 1}},
             Orientation::Portrait},
    };
    return all;
}

} // namespace

const report::Definition *ReportLayout(const QString &name)
{
    const QString wanted = name.trimmed();
    for (const Definition &layout : layouts()) {
        if (layout.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &layout;
    }
    return nullptr;
}

QStringList ReportLayoutNames()
{
    QStringList names;
    for (const Definition &layout : layouts())
        names << layout.name;
    return names;
}
