// TColourPickButton: a small button that shows a colour and opens a drop-down
// palette in the style of a word processor's colour picker: "Automatic", 40
// colour cells in 8 columns and 5 rows, and "Other Colors..." for the system's
// colour dialog. The palette can be torn off by its drag bar and then floats
// as a small captioned tool window that stays open after a choice.
//
// The button is a window class of its own ("VorlixColourPick"), so dialog
// templates can place it; the object lives as long as its window and is
// reached with FromHandle. From the keyboard, Space, Enter, F4 or Alt+Down
// opens the palette; there the arrow keys move among the entries (the one
// they are on drawn focused), Enter or Space takes it and Esc closes.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace ui {

// The colour "Automatic" reports. It is no $00BBGGRR colour; everything that
// draws a stored colour shows it as AutomaticShownColour (ShownColour).
constexpr uint32_t clDefault = 0x20000000;
constexpr COLORREF AutomaticShownColour = RGB(0, 0, 0);

// The RGB value a stored colour is drawn with: automatic as above, system
// colours (high bit set) looked up, the top byte of any other value dropped.
COLORREF ShownColour(uint32_t colour);

// Cell i sits in row i / 8, column i % 8.
extern const std::array<COLORREF, 40> PaletteColours;

enum class TGlyphType { gtBackGround, gtText, gtLines };

// The palette's layout values. The defaults are the word-style values, which
// are also the smallest each may take.
struct PaletteMetrics {
    int TopMargin = 2;         // space above the drag bar
    int BottomMargin = 4;      // space below "Other Colors..."
    int HoriMargin = 7;        // left and right margin
    int DragBarHeight = 7;     // height of the tear-off bar
    int DragBarSpace = 3;      // gap below the bar
    int ColorSpace = 0;        // gap between cells
    int ColorSpaceTop = 4;     // gap between "Automatic" and the cells
    int ColorSpaceBottom = 4;  // gap between the cells and "Other Colors..."
    int ColorSize = 18;        // side of a cell
    int ButtonHeight = 22;     // height of the two text buttons
    friend bool operator==(const PaletteMetrics&, const PaletteMetrics&) = default;
};
// Each value raised to its smallest allowed value.
PaletteMetrics RaisedToMinimum(const PaletteMetrics& m);

struct PaletteLayout {
    SIZE client{};
    RECT dragBar{};  // empty without the bar
    RECT autoButton{};
    std::array<RECT, 40> cells{};
    RECT otherButton{};
};
// The palette's client layout, with or without the drag bar.
PaletteLayout LayOutPalette(const PaletteMetrics& m, bool bar);

class TColourPickButton {
public:
    static constexpr const wchar_t* ClassName = L"VorlixColourPick";
    static constexpr int MinDropDownWidth = 9;
    static constexpr int MinHeight = 22;
    // Entries of the palette, as DownItem reports them: 0..39 the cells.
    static constexpr int AutoItem = 41;
    static constexpr int OtherItem = 42;
    static constexpr int NoItem = -1;

    // Registers the window class (once per process; later calls do nothing).
    static bool RegisterClass();
    // Creates a button as a child of parent (the class is registered first).
    static TColourPickButton* Create(HWND parent, int id, int x, int y, int width, int height);
    // The object of a button window, or null for any other window.
    static TColourPickButton* FromHandle(HWND window);

    HWND Handle() const { return hwnd_; }

    uint32_t SelectedColor() const { return selected_; }
    // Nothing when c is already selected. Otherwise the button shows c, the
    // palette marks the entry of c (the automatic entry for clDefault, else
    // the first cell of that colour, else none) and OnColorSelected fires,
    // also when the change came from the program.
    void SetSelectedColor(uint32_t c);
    void SetEnabled(bool enabled);

    const PaletteMetrics& Metrics() const { return metrics_; }
    // Stores the values raised to their minimum and clears WordStyle; an
    // open palette is laid out again.
    void SetMetrics(const PaletteMetrics& m);
    bool WordStyle() const { return wordStyle_; }
    // True applies the word-style values.
    void SetWordStyle(bool on);
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int width);
    bool DropDownMove() const { return dropDownMove_; }
    // Without the drag bar the palette cannot be torn off; a floating one is
    // closed.
    void SetDropDownMove(bool on);
    void SetDropDownFlat(bool on);
    void SetFlat(bool on);
    void SetCaptionAutoColor(const std::wstring& text);
    void SetCaptionOtherColor(const std::wstring& text);
    void SetDropDownCaption(const std::wstring& text);
    const std::wstring& DropDownCaption() const { return dropDownCaption_; }
    void SetGlyphType(TGlyphType type);
    // The colour dialog's custom colours, kept between openings.
    std::array<COLORREF, 16> CustomColors{};

    std::function<void(uint32_t colour)> OnColorSelected;

    // The palette: opened as by a click on the button; closed (hidden).
    void DropDown();
    void CloseUp();
    HWND PaletteWindow() const { return palette_; }
    bool DroppedDown() const;  // the palette is visible (docked or floating)
    bool Floating() const { return floating_; }
    RECT DragBarRect() const { return floating_ ? RECT{} : layout_.dragBar; }
    const PaletteLayout& Layout() const { return layout_; }
    int DownItem() const { return downItem_; }
    // The entry the keys are on while the palette is open: the arrow keys
    // move it, Enter or Space takes it, Esc closes the palette.
    int FocusItem() const { return focusItem_; }

private:
    TColourPickButton() = default;
    ~TColourPickButton();
    static LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PaletteProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT ButtonMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT PaletteMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void PaintButton(HDC dc);
    void PaintPalette(HDC dc);
    void PaintEntry(HDC dc, int item, const RECT& r);
    bool CreatePalette();
    void SizePalette();
    void EnterFloating();
    void LeaveFloating();
    int ItemAt(POINT clientPoint) const;
    const RECT* ItemRect(int item) const;
    void Choose(int item);
    void ChooseOtherColour();
    void SetHot(int item);
    void CloseToButton();
    int NextItem(int item, UINT key) const;
    void SetFocusItem(int item);
    void Refresh();
    HFONT Font() const;

    HWND hwnd_ = nullptr;
    HWND palette_ = nullptr;
    HFONT font_ = nullptr;
    uint32_t selected_ = clDefault;
    int downItem_ = AutoItem;
    PaletteMetrics metrics_;
    PaletteLayout layout_ = LayOutPalette(PaletteMetrics{}, true);
    bool wordStyle_ = true;
    int dropDownWidth_ = MinDropDownWidth;
    bool dropDownMove_ = true;
    bool dropDownFlat_ = true;
    bool flat_ = true;
    bool floating_ = false;
    std::wstring captionAuto_, captionOther_, dropDownCaption_;
    TGlyphType glyph_ = TGlyphType::gtText;

    // Mouse state.
    bool buttonHot_ = false;
    bool barHot_ = false;
    int hotItem_ = NoItem;
    int pressedItem_ = NoItem;
    // Keyboard state.
    int focusItem_ = AutoItem;
    int column_ = 0;  // of the last cell the keys were on
    bool swallowPress_ = false;  // the press on the button that closed the palette
};

}  // namespace ui
