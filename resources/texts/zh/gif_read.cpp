// 简体中文：GIF 读取部分的文字。
#include "gif/gif_read_texts.h"

namespace txt {

const wchar_t GifDecoderUnderrun[] = L"解码器位缓冲区数据不足";
const wchar_t GifCircularTableEntry[] = L"解码表中存在循环引用";
const wchar_t GifInvalidCodeSize[] = L"LZW 编码长度无效";
const wchar_t GifInvalidCode[] = L"图像数据中存在无效编码";
const wchar_t GifTooMuchImageData[] = L"图像数据超出图像大小";
const wchar_t GifImageTooLarge[] = L"图像过大";
const wchar_t GifUnknownExtensionSkipped[] = L"已跳过未知类型的扩展块";
const wchar_t GifUnsupportedAppExtensionSize[] = L"不支持的应用程序扩展块大小";
const wchar_t GifInvalidData[] = L"无效的 GIF 数据";

}  // namespace txt
