// Simplified Chinese texts of the GIF codec.
#include "gif/gif_texts.h"

namespace txt {

const wchar_t GifInvalidImageDimensions[] = L"图像尺寸无效";
const wchar_t GifOutOfMemory[] = L"内存不足，无法创建 GIF 位图";
const wchar_t GifOutOfResources[] = L"系统资源不足";
const wchar_t GifColorNotInTable[] = L"颜色不在颜色表中";
const wchar_t GifInvalidStreamOperation[] = L"无效的流操作";
const wchar_t GifColorTableOverflow[] = L"颜色表溢出";
const wchar_t GifInvalidColorIndex[] = L"无效的颜色索引";
const wchar_t GifColorTableEmpty[] = L"颜色表为空";
const wchar_t GifPrematureEnd[] = L"数据意外结束";
const wchar_t GifUnsupportedVersion[] = L"不支持的 GIF 版本";
const wchar_t GifInvalidSignature[] = L"无效的 GIF 签名";
const wchar_t GifUnsupportedPixelFormat[] = L"不支持的像素格式";
const wchar_t GifNoDIB[] = L"图像没有 DIB";
const wchar_t GifScanLineRange[] = L"扫描行索引超出范围";
const wchar_t GifCannotSave[] = L"无法保存 GIF 文件。";
const wchar_t GifInvalidExtensionIntroducer[] = L"无效的扩展块引导符";
const wchar_t GifInvalidPixelCoordinates[] = L"无效的像素坐标";
const wchar_t GifImageEmpty[] = L"图像为空";
const wchar_t GifWidthSmallerThanFrames[] = L"图像宽度小于其帧的宽度";
const wchar_t GifHeightSmallerThanFrames[] = L"图像高度小于其帧的高度";
const wchar_t GifExceedsScreen[] = L"图像超出逻辑屏幕尺寸";
const wchar_t GifObjectNotSupported[] = L"此操作不支持该对象类型";
const wchar_t GifNoColorTable[] = L"未定义全局或局部颜色表";
const wchar_t GifClipboardStoreFailed[] = L"无法将 GIF 存入剪贴板";
const wchar_t GifUnsupportedClipboardFormat[] = L"不支持的剪贴板格式";
const wchar_t GifInvalidReductionMethod[] = L"无效的减色方法";
const wchar_t GifInvalidTrailer[] = L"无效的图像结束符";
const wchar_t GifConverting[] = L"正在转换...";
const wchar_t GifRendering[] = L"正在渲染...";
const wchar_t GifSaving[] = L"正在保存...";
const wchar_t GifLoading[] = L"正在载入...";
const wchar_t GifCopying[] = L"正在复制...";
const wchar_t GifOptimizing[] = L"正在优化...";
const wchar_t GifPictureDescription[] = L"GIF 图片";
const wchar_t GifStreamReadError[] = L"流读取错误";
const wchar_t GifStreamWriteError[] = L"流写入错误";
const wchar_t GifCannotAssign[] = L"无法将此对象赋给 GIF 图像";
const wchar_t GifExtensionLabelMismatch[] = L"扩展块与其标签不符";
const wchar_t GifUnknownFileExtension[] = L"未知的图片文件扩展名";
const wchar_t GifUnknownBlockType[] = L"未知的 GIF 块类型";

}  // namespace txt
