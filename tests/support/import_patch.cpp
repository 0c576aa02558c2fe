#include "support/import_patch.h"

ImportPatch::ImportPatch(const char* dll, const char* function, const void* standIn)
    : original(GetProcAddress(LoadLibraryA(dll), function))
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const LONG headerAt = reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew;
    const auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + headerAt);
    const IMAGE_DATA_DIRECTORY table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    auto* first = reinterpret_cast<FARPROC*>(base + table.VirtualAddress);
    DWORD access;
    for (FARPROC* slot = first; slot < first + table.Size / sizeof *slot; ++slot)
        if (*slot == original && VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &access)) {
            *slot = reinterpret_cast<FARPROC>(standIn);
            slots.push_back(slot);
        }
}

ImportPatch::~ImportPatch() { for (FARPROC* slot : slots) *slot = original; }
