// What the platform answers the code under test through this program's imports while this lives. How the program
// was started: the path it runs from (cut as the platform cuts it) and its token: full and elevated, or limited (the
// machine's keys denied, not elevated). Each consent prompt takes the next answer: Declined, NotStarted, Run (the
// copy's part runs in this process, elevated, as another account might), or the exit code of a copy that ran
// nothing. About files, where Windows answers otherwise than Wine: the access list (SDDL) or a junction for what the
// last part of a path names, another access list for every other path (Wine says this account owns everything), no
// short (8.3) names when asked, and a copy's streams; the access list of each folder made is recorded.
#pragma once
#include <string>
#include <vector>

#include "support/import_patch.h"

enum Consent { Declined = -1, NotStarted = -2, Run = -3 };
constexpr int Crashed = static_cast<int>(0xC0000005);   // the exit code of a copy that crashed

struct PlatformAnswers {
    PlatformAnswers(std::wstring exe, std::vector<int> consent, bool limited, bool shortNames);
    std::wstring exe;
    std::vector<int> answers;
    bool limited, shortNames, elevated = false;   // elevated: while the copy's part runs
    bool twin = true;   // the account has a token without its rights too (no consent prompt: UAC off)
    std::string started;   // "verb file install into folder|" or "verb file remove|" for each copy, with " over its
                           // window" before the "|" when shown over a window of this process that takes no input
    bool copyUsedUserKeys = false;    // the copy's part opened HKEY_CURRENT_USER: another account's, maybe
    const char* refusedKey = nullptr;   // a key that cannot be created
    const char* keptKey = nullptr;      // a key that cannot be deleted
    const char* growing = nullptr;      // a value that grows between its size and its reading
    const char* named = nullptr;        // the last part of a path answered for
    const char* access = nullptr;       // the answer for it: an access list ("USER" this account), or "junction"
    const char* others = nullptr;       // the access list answered for every other path
    std::string madeWith;               // the last folder's access list, the user's SID written "USER"
    ImportPatch exePath, probe, shell, token, create, security, attributes, folderA, folderW, shortName, query, copy;
};
