// What Windows answers about files where Wine answers otherwise, through this program's imports while this lives:
// the access list (SDDL) or a junction for what the last part of a path names, and no short (8.3) names when asked.
// It also records the access list of each folder made with one.
#pragma once
#include <string>

#include "support/import_patch.h"

struct FileAnswers {
    explicit FileAnswers(const char* name = nullptr, const char* answer = nullptr, bool shortNames = true);
    const char *name, *answer;   // answer: an access list, or "junction"
    bool shortNames;
    std::string madeWith;        // the last folder's access list, the user's SID written "USER"
    ImportPatch security, attributes, folderA, folderW, shortName;
};
