// Two small controls the system lacks: a flat button that never takes the
// keyboard focus, and a list box with a check box on each item.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "install_fields.h"

namespace wrenfield {

// The class name of the flat button; registered by RegisterFlatButtonClass.
inline constexpr wchar_t kFlatButtonClass[] = L"WrenfieldFlatButton";
void RegisterFlatButtonClass(HINSTANCE instance);

// The check-list: an owner-drawn list box. Its parent forwards WM_MEASUREITEM
// and WM_DRAWITEM here; a click on an item's box or the space bar toggles it.
HWND CreateCheckList(HWND parent, int id, const RECT& bounds, HINSTANCE instance);
void MeasureCheckListItem(MEASUREITEMSTRUCT& item, int itemHeight);
void DrawCheckListItem(const DRAWITEMSTRUCT& item);

// Items as paths (the system's code page) with their check marks.
std::vector<TAdvItem> CheckListItems(HWND list);
void SetCheckListItems(HWND list, const std::vector<TAdvItem>& items);

}  // namespace wrenfield
