// Timer of `make bench`, run under Wine in the test environment.
//
//   bench_startup RUNS NAME TITLE COMMAND [NAME TITLE COMMAND ...]
//     Starts the programs in turn, one warm-up round and then RUNS rounds, and
//     times each from CreateProcess until a visible top-level window of that
//     process has the title TITLE; reads its peak working set there, then
//     closes it (WM_CLOSE) and waits for the exit.
//   bench_startup ok RUNS COMMAND
//     Starts Brindle with all ten rows and times OK, from posting it until the
//     process has exited; Cancel timed the same way, alternated, for reference.
//
// Brindle's keys (and the zone level that OK sets) are saved first and put back
// at the end: the bench shares the tests' prefix.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr char SettingsKey[] = "Software\\Talvane\\BRDL";
constexpr char ZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
constexpr DWORD TimeoutMs = 30000;

double g_ticksPerMs;

double NowMs()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / g_ticksPerMs;
}

// One registry value as it was before the bench, put back by Restore.
struct SavedValue {
    const char* key;
    const char* name;
    bool existed;
    DWORD type, size;
    BYTE data[256];

    void Save()
    {
        size = sizeof data;
        existed = RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, data, &size) == ERROR_SUCCESS;
    }
    void Restore() const
    {
        if (existed)
            RegSetKeyValueA(HKEY_CURRENT_USER, key, name, type, data, size);
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name);
    }
};
SavedValue g_saved[] = {
    {SettingsKey, "InstFlag", false, 0, 0, {}},
    {SettingsKey, "Options", false, 0, 0, {}},
    {SettingsKey, "WinPos", false, 0, 0, {}},
    {ZoneKey, "CurrentLevel", false, 0, 0, {}},
};

void SetDword(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, name, REG_DWORD, &value, sizeof value);
}

struct Search {
    DWORD processId;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char title[256] = "";
    if (processId == search->processId && IsWindowVisible(window) && GetWindowTextA(window, title, sizeof title) &&
        std::strcmp(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct Run {
    PROCESS_INFORMATION process;
    HWND window;
    double shownMs;        // from CreateProcess to the visible window
    SIZE_T peakWorkingSet; // at that moment
};

// Starts command and waits, polling every millisecond, for its visible window.
bool StartAndWait(const char* command, const char* title, Run* run)
{
    std::vector<char> line(command, command + std::strlen(command) + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const double start = NowMs();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &run->process))
        return false;
    Search search{run->process.dwProcessId, title, nullptr};
    while (!search.found && NowMs() - start < TimeoutMs) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found && WaitForSingleObject(run->process.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    run->shownMs = NowMs() - start;
    run->window = search.found;
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    run->peakWorkingSet = GetProcessMemoryInfo(run->process.hProcess, &memory, sizeof memory)
                              ? memory.PeakWorkingSetSize : 0;
    return search.found != nullptr;
}

// Posts message to the window and returns the milliseconds until the process ended.
double CloseAndWait(Run* run, UINT message, WPARAM wParam, LPARAM lParam)
{
    const double start = NowMs();
    PostMessageA(run->window, message, wParam, lParam);
    if (WaitForSingleObject(run->process.hProcess, TimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(run->process.hProcess, 1);
    const double ended = NowMs() - start;
    CloseHandle(run->process.hThread);
    CloseHandle(run->process.hProcess);
    Sleep(50);   // lets the virtual desktop repaint where the window was
    return ended;
}

struct Summary {
    double median, low, high, q1, q3;
};

Summary Summarize(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back(), values[n / 4], values[(3 * n) / 4]};
}

struct Program {
    const char* name;
    const char* title;
    const char* command;
    std::vector<double> times;
    std::vector<double> peaks;   // KiB
};

int TimeStartUp(int runs, std::vector<Program>& programs)
{
    SetDword("InstFlag", 2);   // installed for this user: straight to the main window
    for (int round = 0; round <= runs; ++round) {   // round 0 is the warm-up
        for (Program& program : programs) {
            Run run = {};
            if (!StartAndWait(program.command, program.title, &run)) {
                std::fprintf(stderr, "bench: no window \"%s\" from %s\n", program.title, program.command);
                return 1;
            }
            CloseAndWait(&run, WM_CLOSE, 0, 0);
            if (round > 0) {
                program.times.push_back(run.shownMs);
                program.peaks.push_back(run.peakWorkingSet / 1024.0);
            }
        }
    }
    std::printf("start-up, process creation to visible main window (ms), %d runs each after one warm-up, alternated:\n",
                runs);
    std::printf("  %-11s %8s %8s %8s %8s %8s\n", "program", "median", "min", "max", "q1", "q3");
    for (const Program& program : programs) {
        const Summary s = Summarize(program.times);
        std::printf("  %-11s %8.1f %8.1f %8.1f %8.1f %8.1f\n", program.name, s.median, s.low, s.high, s.q1, s.q3);
    }
    // The first program over each other one, the first ratio over the second program.
    const double first = Summarize(programs[0].times).median;
    for (size_t i = 1; i < programs.size(); ++i)
        std::printf("ratio %.2f  (%s / %s, medians)\n", first / Summarize(programs[i].times).median, programs[0].name,
                    programs[i].name);
    std::printf("peak working set at the visible window (KiB, median of the runs):\n");
    for (const Program& program : programs)
        std::printf("  %-11s %8.0f\n", program.name, Summarize(program.peaks).median);
    return 0;
}

int TimeOk(int runs, const char* command)
{
    SetDword("InstFlag", 2);
    SetDword("Options", 0x3FF);   // all ten rows: OK writes ten policies
    std::vector<double> ok, cancel;
    for (int round = 0; round <= runs; ++round) {
        for (WPARAM id : {IDOK, IDCANCEL}) {
            Run run = {};
            if (!StartAndWait(command, "Brindle", &run)) {
                std::fprintf(stderr, "bench: no main window from %s\n", command);
                return 1;
            }
            // Start-up done and painted: only the button's own work is timed.
            WaitForInputIdle(run.process.hProcess, 5000);
            Sleep(100);
            const double ms = CloseAndWait(&run, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                           reinterpret_cast<LPARAM>(GetDlgItem(run.window, static_cast<int>(id))));
            if (round > 0)
                (id == IDOK ? ok : cancel).push_back(ms);
        }
    }
    const Summary o = Summarize(ok), c = Summarize(cancel);
    std::printf("OK writing ten rows, posted until the process exited (ms), %d runs after one warm-up:\n", runs);
    std::printf("  OK      median %.1f  min %.1f  max %.1f\n", o.median, o.low, o.high);
    std::printf("  Cancel  median %.1f  min %.1f  max %.1f  (closes without writing)\n", c.median, c.low, c.high);
    std::printf("  the write itself: about %.1f ms (OK - Cancel, medians)\n", o.median - c.median);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_ticksPerMs = frequency.QuadPart / 1000.0;

    const bool okMode = argc == 4 && std::strcmp(argv[1], "ok") == 0;
    if (!okMode && (argc < 5 || (argc - 2) % 3 != 0)) {
        std::fprintf(stderr, "usage: bench_startup RUNS NAME TITLE COMMAND [NAME TITLE COMMAND ...]\n"
                             "       bench_startup ok RUNS COMMAND\n");
        return 2;
    }
    for (SavedValue& value : g_saved)
        value.Save();
    // Default options, no stored place: the first start of an installed copy.
    RegDeleteKeyValueA(HKEY_CURRENT_USER, SettingsKey, "Options");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, SettingsKey, "WinPos");

    int result;
    if (okMode) {
        result = TimeOk(std::atoi(argv[2]), argv[3]);
    } else {
        std::vector<Program> programs;
        for (int i = 2; i + 2 < argc; i += 3)
            programs.push_back({argv[i], argv[i + 1], argv[i + 2], {}, {}});
        result = TimeStartUp(std::atoi(argv[1]), programs);
    }
    for (const SavedValue& value : g_saved)
        value.Restore();
    return result;
}
