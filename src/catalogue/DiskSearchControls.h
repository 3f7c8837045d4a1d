#pragma once

class DirListBox;
class DriveListBox;
class KeyedToolBar;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QVBoxLayout;
class QWidget;

// The controls the two windows that walk the disks for files (the file manager and the file
// search) have in common, so that both look and read alike.

// The tool bar tbrMain2: Cancel and Help.
KeyedToolBar *DiskSearchToolBar(QWidget *parent);
// The list of found files, List1, and the count of them, Label4.
QListWidget *FoundList(QWidget *parent);
QLabel *FoundCount(QWidget *parent);
// The drive over the start directory of the walk, each under its label.
QVBoxLayout *StartFolderColumn(DriveListBox *drive, DirListBox *folder, QWidget *parent);
// The label naming the found list, and the count beside it.
QHBoxLayout *FoundCountRow(QListWidget *found, QLabel *count, QWidget *parent);
