#pragma once
// Bar styles (CBRS_*) with the framework's customary values, the toolkit's docking
// appearance flag and the window ids of the frame's dock areas. The CBRS_* bits travel in
// the window style given to a bar's CreateEx; the bar keeps them and gives its window only
// the rest.
#include <windows.h>

constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;

constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;

constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_SIZE_FIXED = 0x0002;
constexpr DWORD CBRS_GRIPPER = 0x00400000;

// A bar along an edge: aligned there, with its border on the side facing the view.
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;        // 0x2800
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;     // 0x8200
// Every bit that belongs to the bar rather than to its window.
constexpr DWORD CBRS_ALL = 0x0040FFFF;

// Docking appearance (second argument of EnableDocking): flat, without the etched edges
// of the classic look.
constexpr DWORD CBRS_EX_FLATLOOK = 0x0001;

// The frame's dock areas.
constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;
