#pragma once

#include <QString>

// A small folder tree of example files, made once per run in a temporary folder that goes when
// the program ends: what the file windows show in their pictures and the hostile-input walk.
QString SampleTree();
