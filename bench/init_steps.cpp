// Where Brindle's own start-up work goes: the main dialog's WM_INITDIALOG steps
// timed one by one, in process, on hidden dialogs made from template 101.
//   bench_init_steps RUNS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "controls/dpi.h"
#include "controls/hyperlink.h"
#include "zone/option_catalogue.h"
#include "zone/row_aids.h"
#include "zone/row_images.h"
#include "zone/row_layout.h"
#include "zone/zone_policy.h"

namespace {

double g_ticksPerUs;

double NowUs()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / g_ticksPerUs;
}

INT_PTR CALLBACK BareDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Not shown: the real dialog is hidden too while WM_INITDIALOG runs.
HWND CreateMainTemplate()
{
    return CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, BareDlgProc, 0);
}

void ShowRows(int count)
{
    for (int i = 0; i < OptionCount; ++i)
        OptionCatalogue[i].visible = i < count ? 1 : 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

enum Step { Icons, Policies, Link, SmallPrint, Padlocks, Tooltips, Subclass, Layout, Relayout, StepCount };
const char* const StepNames[StepCount] = {
    "icons, shown padlocks, layout (LoadRowIcons, PlacePadlocks, LayoutRows)",
    "zone policies read, rows' images (LoadZonePolicies, UpdateRowImages)",
    "link label (SubclassHyperlink)",
    "small print (ApplySmallPrintFont)",
    "shown, then: hidden rows' padlocks",
    "shown, then: tooltips and names (AddRowTooltips)",
    "shown, then: hover subclassing of 30 buttons",
    "  of which: first layout alone (LayoutRows)",
    "  layout again, same rows (after an Options OK)",
};

void TimeOnce(std::vector<double> (&times)[StepCount])
{
    double start = NowUs();
    auto lap = [&](Step step) {
        const double now = NowUs();
        times[step].push_back(now - start);
        start = now;
    };

    // The steps of WM_INITDIALOG, in their order (the stored settings are left out),
    // then the row aids, which come once the window has shown and painted.
    HWND dialog = CreateMainTemplate();
    ZoneOption* rows[RowCount];
    const int shown = GetVisibleRows(rows);
    start = NowUs();
    LoadRowIcons(DefaultDpi);
    PlacePadlocks(dialog, 0, shown);
    LayoutRows(dialog);
    lap(Icons);
    LoadZonePolicies(dialog);
    for (int row = 0; row < shown; ++row)
        UpdateRowImages(dialog, IDC_FIRST_BUTTON + ChoiceCount * row);
    lap(Policies);
    SubclassHyperlink(dialog, IDC_LINK, IDCUR_HAND);
    lap(Link);
    HFONT saved = nullptr, small = nullptr;
    ApplySmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &saved, &small, DefaultDpi);
    lap(SmallPrint);
    PlacePadlocks(dialog, shown, RowCount);
    lap(Padlocks);
    AddRowTooltips(dialog);
    lap(Tooltips);
    for (int id = IDC_FIRST_BUTTON; id <= IDC_LAST_BUTTON; ++id)
        SubclassRowButton(dialog, id);
    lap(Subclass);
    RestoreSmallPrintFont(GetDlgItem(dialog, IDC_NOTICE), &saved, &small);
    DestroyWindow(dialog);
    DestroyRowIcons();

    // The layout alone on a fresh template, then once more with nothing to change.
    dialog = CreateMainTemplate();
    start = NowUs();
    LayoutRows(dialog);
    lap(Layout);
    LayoutRows(dialog);
    lap(Relayout);
    DestroyWindow(dialog);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_ticksPerUs = frequency.QuadPart / 1e6;
    g_instance = GetModuleHandleA(nullptr);
    CoInitialize(nullptr);

    std::printf("Brindle's own start-up steps, in process on hidden dialogs (microseconds, median of %d):\n", runs);
    std::printf("  %-48s %9s %9s\n", "step", "1 row", "10 rows");
    std::vector<double> times[2][StepCount];
    const int rows[2] = {1, 10};
    for (int round = 0; round <= runs; ++round) {   // round 0 is the warm-up
        for (int r = 0; r < 2; ++r) {
            ShowRows(rows[r]);
            std::vector<double> once[StepCount];
            TimeOnce(once);
            if (round > 0)
                for (int s = 0; s < StepCount; ++s)
                    times[r][s].push_back(once[s][0]);
        }
    }
    for (int s = 0; s < StepCount; ++s)
        std::printf("  %-48s %9.0f %9.0f\n", StepNames[s], Median(times[0][s]), Median(times[1][s]));
    CoUninitialize();
    return 0;
}
