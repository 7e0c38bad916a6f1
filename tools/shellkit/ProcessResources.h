#pragma once
#include <windows.h>

#include <cstddef>

// What this process holds, counted without GetGuiResources and GetProcessHandleCount, which
// Wine answers with 0.
struct ProcessResources {
    size_t Handles = 0;    // kernel handles: every handle value DuplicateHandle accepts
    size_t HeapBytes = 0;  // bytes of the blocks in use in every heap, by HeapWalk
    size_t GdiObjects = 0; // entries in use in the GDI handle table

    static ProcessResources Now();
};

// GDI objects of this process: GetGuiResources where it answers, else the shared GDI handle
// table that Wine, like Windows, keeps behind the process environment block.
DWORD GdiObjectCount();
