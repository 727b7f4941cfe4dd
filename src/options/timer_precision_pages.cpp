// The Timer page (interval, unit, identical captures, its hotkey) and the
// Precision page (size label and magnifier).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/globals.h"
#include "options/hotkey_edit.h"
#include "options/options_dialog.h"
#include "options/options_ids.h"
#include "options/options_texts.h"

namespace {

constexpr int kPeriods = 60;

class TimerPage : public HotkeyPage {
public:
    TimerPage() : HotkeyPage(IDC_ED_HK_TIMER, TimerHotkey) {}

protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            ComboBinding(IDC_CB_TIMER_PERIOD, kPeriods, &TConfiguration::TimerPeriod, 1),
            ComboBinding(IDC_CB_TIMER_FORMAT, 2, &TConfiguration::TimerUnit, 0),
            CheckBinding(IDC_CK_IGNORE_IDENTICAL, &TConfiguration::TimerSkipIdentical),
        };
        return b;
    }

    void Init() override {
        HotkeyPage::Init();
        std::vector<std::wstring> numbers;
        for (int i = 1; i <= kPeriods; ++i) numbers.push_back(std::to_wstring(i));
        std::vector<const wchar_t*> items;
        for (const auto& n : numbers) items.push_back(n.c_str());
        AddComboItems(IDC_CB_TIMER_PERIOD, items);
        AddComboItems(IDC_CB_TIMER_FORMAT, txt::TimerFormatItems);
    }
};

class PrecisionPage : public OptionsPage {
protected:
    std::span<const Binding> Bindings() const override {
        static const Binding b[] = {
            CheckBinding(IDC_CK_RULLER, &TConfiguration::ShowSize),
            RadioBinding(IDC_CK_ZOOM_OFF, 2, &TConfiguration::ZoomOn, 0),
        };
        return b;
    }

    void Init() override { AddComboItems(IDC_CB_ZOOM_FACTOR, txt::ZoomFactorItems); }

    void Load() override {
        OptionsPage::Load();
        // x2, x4, x8; any other factor shows the nearest of them.
        const int f = Config.ZoomFactor;
        const int index = f <= 0 ? 0 : static_cast<int>(std::lround(std::log2(f))) - 1;
        SetComboIndex(IDC_CB_ZOOM_FACTOR, std::clamp(index, 0, 2));
    }

    void Command(int id, int code) override {
        if (id != IDC_CB_ZOOM_FACTOR || code != CBN_SELCHANGE || OptionsLoading) return;
        const int index = ComboIndex(IDC_CB_ZOOM_FACTOR);
        if (index >= 0) Config.ZoomFactor = static_cast<uint8_t>(2 << index);
    }
};

}  // namespace

std::unique_ptr<OptionsPage> MakeTimerPage() { return std::make_unique<TimerPage>(); }
std::unique_ptr<OptionsPage> MakePrecisionPage() { return std::make_unique<PrecisionPage>(); }
