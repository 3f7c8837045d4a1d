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
    FSize TEXT,
    -- BLAKE2b digest of the file's bytes, 64 hex digits; null when not read. FSize then holds
    -- the number of bytes read for it.
    Checksum TEXT,
    -- The volume the file was read from (volumes.VolumeId) and the time of its last change in
    -- seconds since 1970 (UTC), as "Add Folder..." and a rescan read them; null for a file taken
    -- on its own.
    VolumeId INTEGER,
    Modified INTEGER,
    -- The file's group as a number (filegroups.GroupKey), kept in step with FileGroup by the
    -- triggers below; the indexes of the group filter carry the number, not the name, so that a
    -- group renamed changes one row of filegroups instead of an index entry for each of its files.
    GroupKey INTEGER
);
-- The catalogue is filtered by group and by web site, looked up by name and path.
-- A filter alone lists rows in the order they were added (the row number follows the value).
CREATE INDEX fileprofile_group ON fileprofile (GroupKey);
CREATE INDEX fileprofile_site ON fileprofile (WebSiteName);
CREATE INDEX fileprofile_name ON fileprofile (FileName COLLATE NOCASE);
CREATE INDEX fileprofile_path ON fileprofile (FilePath);
-- `corvina --find` lists a name's matches with their paths, descriptions and volumes: an index
-- that holds them all answers it without reading the table, whose rows lie far apart.
CREATE INDEX fileprofile_name_paths
    ON fileprofile (FileName COLLATE NOCASE, FilePath, FileDesc, VolumeId);
-- A volume's rows, and those of one of its folders and the folders below it.
CREATE INDEX fileprofile_volume ON fileprofile (VolumeId, Directory);
-- The search as the user types: a prefix LIKE ignores case, so only a NOCASE index answers it,
-- and the grid orders text the same way, so the index also delivers the rows in order. With a
-- filter, the filter's column comes first. The web site search lists rows by file name, so its
-- indexes carry the name: the matches are sorted from the index alone, without the table.
CREATE INDEX fileprofile_desc ON fileprofile (FileDesc COLLATE NOCASE);
CREATE INDEX fileprofile_sitetext ON fileprofile (WebSiteName COLLATE NOCASE, FileName COLLATE NOCASE);
CREATE INDEX fileprofile_group_name ON fileprofile (GroupKey, FileName COLLATE NOCASE);
CREATE INDEX fileprofile_group_desc ON fileprofile (GroupKey, FileDesc COLLATE NOCASE);
CREATE INDEX fileprofile_group_sitetext
    ON fileprofile (GroupKey, WebSiteName COLLATE NOCASE, FileName COLLATE NOCASE);
CREATE INDEX fileprofile_site_name ON fileprofile (WebSiteName, FileName COLLATE NOCASE);
CREATE INDEX fileprofile_site_desc ON fileprofile (WebSiteName, FileDesc COLLATE NOCASE);
-- Copies of one file: rows of equal size and checksum, grouped from the index alone. Only rows
-- with a checksum are in it, so a catalogue without any costs nothing.
CREATE INDEX fileprofile_copies ON fileprofile (FSize, Checksum) WHERE Checksum IS NOT NULL;
-- A search for a piece of a name, a path or a description: every run of three characters of
-- each, without regard to case, an index for each column; the rows themselves are read again to
-- check each match. The indexes hold the rows up to textmark.UpTo as they were when the program
-- last brought them up to date. Rows changed or removed since are listed in textchanged with the
-- values the indexes hold, and rows after the mark are not in them: a search reads those rows
-- themselves, and the program brings the indexes up to date once it has written (an insert
-- trigger would make the engine copy every row of an INSERT ... SELECT first, and the engine lets
-- only the program's own statements write these tables).
CREATE VIRTUAL TABLE filetext_name USING fts5(FileName, content='fileprofile', content_rowid='Inum', tokenize='trigram', detail=none);
CREATE VIRTUAL TABLE filetext_path USING fts5(FilePath, content='fileprofile', content_rowid='Inum', tokenize='trigram', detail=none);
CREATE VIRTUAL TABLE filetext_desc USING fts5(FileDesc, content='fileprofile', content_rowid='Inum', tokenize='trigram', detail=none);
CREATE TABLE textmark (
    Id INTEGER PRIMARY KEY CHECK (Id = 1),
    UpTo INTEGER NOT NULL
);
CREATE TABLE textchanged (
    Inum INTEGER PRIMARY KEY,
    FileName TEXT,
    FilePath TEXT,
    FileDesc TEXT
);
CREATE TRIGGER filetext_changed AFTER UPDATE OF FileName, FilePath, FileDesc ON fileprofile
WHEN old.Inum <= (SELECT UpTo FROM textmark)
BEGIN
    INSERT OR IGNORE INTO textchanged (Inum, FileName, FilePath, FileDesc) VALUES (old.Inum, old.FileName, old.FilePath, old.FileDesc);
END;
CREATE TRIGGER filetext_removed AFTER DELETE ON fileprofile
WHEN old.Inum <= (SELECT UpTo FROM textmark)
BEGIN
    INSERT OR IGNORE INTO textchanged (Inum, FileName, FilePath, FileDesc) VALUES (old.Inum, old.FileName, old.FilePath, old.FileDesc);
END;

-- Every group name that a catalogued file has carried, with its number. A rename gives the
-- number the new name at once; the files' FileGroup text follows in short steps afterwards, and
-- Carrying is 1 until it has (a program that ended meanwhile leaves it so, and the next one
-- finishes the steps).
CREATE TABLE filegroups (
    GroupKey INTEGER PRIMARY KEY AUTOINCREMENT,
    FileGroup TEXT UNIQUE,
    Carrying INTEGER
);
-- A file whose group name changes gets the name's number, and a name not seen before a number of
-- its own; the program's own writes, which name the number already, pass with a look-up. Rows
-- are added with their number by the program; a row added without one is numbered when the
-- catalogue is next opened (an insert trigger would make the engine copy every row of an
-- INSERT ... SELECT into a temporary table first). The index finds such rows.
CREATE INDEX fileprofile_unnumbered ON fileprofile (Inum) WHERE GroupKey IS NULL AND FileGroup IS NOT NULL;
CREATE TRIGGER fileprofile_groupkey_update AFTER UPDATE OF FileGroup, GroupKey ON fileprofile
WHEN new.GroupKey IS NOT (SELECT GroupKey FROM filegroups WHERE FileGroup = new.FileGroup)
    OR (new.GroupKey IS NULL AND new.FileGroup IS NOT NULL)
BEGIN
    INSERT OR IGNORE INTO filegroups (FileGroup) SELECT new.FileGroup WHERE new.FileGroup IS NOT NULL;
    UPDATE fileprofile SET GroupKey = (SELECT GroupKey FROM filegroups WHERE FileGroup = new.FileGroup)
        WHERE Inum = new.Inum;
END;

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
    FSize TEXT,
    -- BLAKE2b digest of the file's bytes, 64 hex digits; null when not read. FSize then holds
    -- the number of bytes read for it.
    Checksum TEXT,
    -- The volume the file was read from (volumes.VolumeId) and the time of its last change in
    -- seconds since 1970 (UTC), as "Add Folder..." and a rescan read them; null for a file taken
    -- on its own.
    VolumeId INTEGER,
    Modified INTEGER,
    -- The number of the file's group, given to it as it is saved to the catalogue.
    GroupKey INTEGER
);

-- The volumes (file systems) folders were catalogued from, so that a disk is known again
-- wherever it is mounted next time: by its UUID, or, when it has none, by its device and label.
-- Sizes and mount point are as they were when it was last read.
CREATE TABLE volumes (
    VolumeId INTEGER PRIMARY KEY AUTOINCREMENT,
    Uuid TEXT,
    Device TEXT,
    Label TEXT,
    FsType TEXT,
    TotalBytes INTEGER,
    FreeBytes INTEGER,
    MountPoint TEXT,
    LastRead TEXT,
    -- The name the user gave the volume in the program; null for its label.
    Name TEXT
);
CREATE INDEX volumes_uuid ON volumes (Uuid);

-- A volume's catalogued folders: the folder below the mount point ("" for the volume's top, "/"
-- between names), the full path its catalogue rows carry, the pattern and whether the folders
-- below it were taken, and what was found when it was last read.
CREATE TABLE volumefolders (
    FolderId INTEGER PRIMARY KEY AUTOINCREMENT,
    VolumeId INTEGER,
    Folder TEXT,
    FolderPath TEXT,
    Pattern TEXT,
    Subfolders INTEGER,
    LastRead TEXT,
    Files INTEGER,
    Bytes INTEGER
);
CREATE INDEX volumefolders_volume ON volumefolders (VolumeId, Folder);

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
-- The directory's names and addresses fill drop-down lists, value by value.
CREATE INDEX webname_name ON webname (webname);
CREATE INDEX webname_address ON webname (webaddress);

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

-- The version of these tables, so that a later release can tell an older file and bring it up to
-- date: 1 the first tables, 2 with the files' checksums, 3 with the volumes and the files'
-- volumes and times, 4 with the index of a volume's rows and the volume in --find's index, 5 with
-- the groups numbered. Files made before it was kept read 0.
PRAGMA user_version = 6;
