-- The tables of the Corvina database file. Row numbers are assigned by the engine on insert.

CREATE TABLE fileprofile (
    Inum INTEGER PRIMARY KEY AUTOINCREMENT,
    FileName TEXT,
    FileDesc TEXT,
    FilePath TEXT,
    FileGroup TEXT,
    FileDate TEXT,
    FileIndex INTEGER,
    WebAddress TEXT,
    WebSiteName TEXT,
    Author TEXT,
    Email TEXT,
    Drive TEXT,
    Directory TEXT,
    Label TEXT,
    FSize TEXT
);
-- The catalogue is filtered by group and by web site, looked up by name and path.
CREATE INDEX fileprofile_group ON fileprofile (FileGroup);
CREATE INDEX fileprofile_site ON fileprofile (WebSiteName);
CREATE INDEX fileprofile_name ON fileprofile (FileName COLLATE NOCASE);
CREATE INDEX fileprofile_path ON fileprofile (FilePath);

CREATE TABLE tempfile (
    Inum INTEGER PRIMARY KEY AUTOINCREMENT,
    FileName TEXT,
    FileDesc TEXT,
    FilePath TEXT,
    FileGroup TEXT,
    FileDate TEXT,
    FileIndex INTEGER,
    WebAddress TEXT,
    WebSiteName TEXT,
    Author TEXT,
    Email TEXT,
    Drive TEXT,
    Directory TEXT,
    Label TEXT,
    FSize TEXT
);

CREATE TABLE tempprint (
    filedate TEXT,
    filename TEXT,
    filedesc TEXT,
    filegroup TEXT,
    filepath TEXT,
    directory TEXT,
    websitename TEXT,
    webaddress TEXT,
    author TEXT,
    email TEXT
);

CREATE TABLE CodeTypes (
    Inum INTEGER PRIMARY KEY AUTOINCREMENT,
    CodeType TEXT
);

CREATE TABLE patterns (
    inum INTEGER PRIMARY KEY AUTOINCREMENT,
    patterns TEXT
);

CREATE TABLE source (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    [datetime] TEXT,
    title TEXT,
    codetype TEXT,
    code TEXT,
    notes TEXT,
    websitename TEXT,
    webaddress TEXT,
    author TEXT,
    email TEXT
);
CREATE INDEX source_title ON source (title);
CREATE INDEX source_codetype ON source (codetype);

CREATE TABLE webname (
    webid INTEGER PRIMARY KEY AUTOINCREMENT,
    webname TEXT,
    webaddress TEXT,
    companyname TEXT,
    address TEXT,
    city TEXT,
    state TEXT,
    zip TEXT,
    country TEXT,
    phonenum TEXT,
    faxnum TEXT,
    pointofcontact TEXT,
    email TEXT,
    notes TEXT
);

CREATE TABLE tblusers (
    userid TEXT PRIMARY KEY NOT NULL,
    userpwd TEXT,
    usergroup TEXT,
    username TEXT,
    activationdate TEXT,
    expirationdate TEXT
);

CREATE TABLE tblreports (
    id INTEGER PRIMARY KEY,
    title TEXT,
    description TEXT,
    name TEXT,
    Rgroup TEXT
);
