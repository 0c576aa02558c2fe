#include "e2e/harness.h"

#include <cstdio>
#include <vector>

namespace e2e {

namespace {

std::vector<std::string> g_failures;
std::vector<std::string> g_notes;

const char* BaseName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

} // namespace

void Fail(const char* file, int line, const std::string& what)
{
    char where[160];
    std::snprintf(where, sizeof where, "%s:%d: ", BaseName(file), line);
    g_failures.push_back(where + what);
}

void Note(const std::string& text)
{
    g_notes.push_back(text);
}

std::string Printable(const std::string& bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out + "\"";
}

bool CheckEqual(const std::string& actual, const std::string& expected, const char* file, int line,
                const std::string& what)
{
    if (actual == expected)
        return true;
    Fail(file, line, what + ": expected " + Printable(expected) + ", got " + Printable(actual));
    return false;
}

bool CheckEqual(DWORD actual, DWORD expected, const char* file, int line, const std::string& what)
{
    if (actual == expected)
        return true;
    char text[80];
    std::snprintf(text, sizeof text, ": expected %lu, got %lu", static_cast<unsigned long>(expected),
                  static_cast<unsigned long>(actual));
    Fail(file, line, what + text);
    return false;
}

int RunCases(const Case* cases, size_t count, void (*setUp)(), void (*tearDown)())
{
    int failed = 0;
    for (size_t i = 0; i < count; ++i) {
        g_failures.clear();
        g_notes.clear();
        const DWORD start = GetTickCount();
        try {
            setUp();
            cases[i].run();
        } catch (const CaseAborted&) {
            // Already recorded; clean-up below still runs.
        }
        tearDown();
        const double seconds = (GetTickCount() - start) / 1000.0;
        std::printf("%-4s %s (%.1f s)\n", g_failures.empty() ? "ok" : "FAIL", cases[i].name, seconds);
        for (const std::string& note : g_notes)
            std::printf("       %s\n", note.c_str());
        for (const std::string& failure : g_failures)
            std::printf("     - %s\n", failure.c_str());
        std::fflush(stdout);
        failed += !g_failures.empty();
    }
    std::printf("%d of %d end-to-end cases passed\n", static_cast<int>(count) - failed, static_cast<int>(count));
    return failed;
}

} // namespace e2e
