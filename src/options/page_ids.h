// The pages of the options dialog, in notebook order. Each has a node of the
// same name in the page tree, except "Zovozu Not Installed", which stands in
// for "Zovozu" when the maker's image-library program is missing.
#pragma once

enum class PageId : int {
    Activate, Capture, FreeHand, Rectangle, Window,
    Enhance, EdgeEffect, Annotation, Watermark,
    SendTo, Clipboard, File, Editor, Zovozu, ZovozuNotInstalled, Mail, Web, IM, ICQ, Printer, Custom,
    Timer, Precision, Favorites,
    Count
};
constexpr int PageCount = static_cast<int>(PageId::Count);
constexpr int PageIndex(PageId p) { return static_cast<int>(p); }
