// The pictures of the page tree (and of the favourites list): an image list
// drawn at run time, at the given size, with the indexes the tree uses.
#pragma once

#include <windows.h>
#include <commctrl.h>

enum TreeIcon {
    TreeIconActivate = 0,
    TreeIconCapture = 1,
    TreeIconTimer = 2,
    // 4 radio off, 5 radio on, 6 check off, 7 check on, 8 unavailable
    TreeIconSendTo = 14,
    TreeIconFavorites = 15,
    TreeIconPrecision = 16,
    TreeIconEnhance = 17,
    TreeIconCount = 18
};

HIMAGELIST MakeTreeImages(int size);
