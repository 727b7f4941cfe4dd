// Simplified Chinese texts of the first-run tutorial and the about box.
#include "app/tutorial_texts.h"

namespace txt {

const wchar_t TrainerCaption[] = L"Vorlix - 只需两步，创建您的第一张屏幕截图。";
const wchar_t TrainerHeading[] = L"只需两步，创建您的第一张屏幕截图。";
const wchar_t TrainerStepOne[] = L"按住鼠标右键。";
const wchar_t TrainerStepOneResult[] = L"光标将变为十字准线。";
const wchar_t TrainerStepTwo[] = L"按住鼠标左键拖动，然后松开鼠标。";
const wchar_t TrainerStepTwoResult[] = L"Vorlix 将询问保存屏幕截图的文件名。";
const wchar_t TrainerTrayMenu[] = L"右键单击图标可查看菜单。";
const wchar_t TrainerTrayOptions[] = L"左键单击图标可打开选项面板。";
const wchar_t TrainerDontShowAgain[] = L"不再显示";
const wchar_t TrainerClose[] = L"关闭";

const wchar_t AboutCaption[] = L"关于 <PRODUCT>";
const wchar_t AboutVersionLabel[] = L"版本：";
const wchar_t AboutLegalNotice[] =
    L"本程序受版权法和国际条约保护。未经授权复制或分发本程序或其任何部分，可能导致严重的民事和刑事处罚。";
const wchar_t AboutClose[] = L"关闭";

}  // namespace txt
