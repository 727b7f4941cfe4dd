// The largest image the program takes in from outside: a file another
// program hands over, and a scan (native, memory or file transfer). Beyond
// it an image is refused as a bad one would be, before memory is taken for
// its pixels. No windows.h: the scan's pixel side checks it natively.
//
// Why 2^26 pixels (for instance 8192 x 8192): such an image has to be
// finished and delivered inside a 32-bit process, whose 2 GiB of address
// space is shared with the program's DLLs and cut into pieces by them.
//  - It is held as a device bitmap of 32 bits a pixel: 256 MiB.
//  - The edge effect makes a 24-bit copy and a 24-bit result that is larger
//    still (the shadow and its blur around it): about 10 bytes a pixel at
//    its peak with the source, some 640 MiB.
//  - The savers and the clipboard take one more whole copy (the BMP file in
//    memory, the clipboard's DIB; JPEG's output for a noisy image), and the
//    GIF codec takes no frame beyond 2^26 pixels at all.
// That peak of about 900 MiB in large blocks is what such a process can
// still be given; at 2^27 pixels the edge effect alone would need 1.3 GiB,
// which it cannot. The program's own captures are not held to it: they are
// made in memory the program already has (a scrolled capture takes fewer
// rows when no more room can be had), while an image from outside declares
// any size it likes in a few bytes.
#pragma once

#include <cstdint>

constexpr int64_t MaxIncomingImagePixels = int64_t(1) << 26;
