// A small case runner for the end-to-end driver: each case prints one report
// line, checks record their failures, Require ends the case at once.
#pragma once
#include <windows.h>
#include <string>

namespace e2e {

// Thrown by Require; the runner reports it and goes on with the next case.
struct CaseAborted {};

void Fail(const char* file, int line, const std::string& what);
void Note(const std::string& text);

inline bool Check(bool ok, const char* file, int line, const std::string& what)
{
    if (!ok)
        Fail(file, line, what);
    return ok;
}

bool CheckEqual(const std::string& actual, const std::string& expected, const char* file, int line,
                const std::string& what);
bool CheckEqual(DWORD actual, DWORD expected, const char* file, int line, const std::string& what);

// Printable form of bytes that may hold NULs or control characters.
std::string Printable(const std::string& bytes);

using CaseFunction = void (*)();
struct Case {
    const char* name;
    CaseFunction run;
};

// Runs the cases in order around per-case set-up and clean-up; returns the
// number of failed cases.
int RunCases(const Case* cases, size_t count, void (*setUp)(), void (*tearDown)());

} // namespace e2e

#define CHECK_MSG(cond, what) e2e::Check((cond), __FILE__, __LINE__, (what))
#define CHECK_EQ(actual, expected, what) e2e::CheckEqual((actual), (expected), __FILE__, __LINE__, (what))
#define REQUIRE_MSG(cond, what)                                   \
    do {                                                          \
        if (!e2e::Check((cond), __FILE__, __LINE__, (what)))      \
            throw e2e::CaseAborted();                             \
    } while (0)
