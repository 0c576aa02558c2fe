// The main dialog (template 101): rows of Enable/Prompt/Disable buttons per shown setting.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
